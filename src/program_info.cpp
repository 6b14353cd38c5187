#include "program_info.h"

namespace tvx {

const char* SoftwareLabel(bool detailMode) {
  return detailMode ? "Software: V1.4+ 03-11-2022" : "Software: V1.4   03-11-2022";
}

}  // namespace tvx
