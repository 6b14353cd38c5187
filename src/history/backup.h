// "Kopia zapasowa": the three user profile banks read from the valve with the
// exchanges a save to a file makes (read-only), kept in the valve history so
// that a later profile load, copy or restore can be undone. Adds no write.
#pragma once

#include "history/recorder.h"
#include "params/profiles.h"
#include "view/questions.h"

#include <optional>

namespace tvx::history {

inline constexpr const char* BackupOperation = "Kopia zapasowa";

// Reads the banks (link errors throw as every exchange does) and records them
// with the set known now; the record's id, or nothing when the history has no
// valve to name or cannot keep it (the recorder has warned).
std::optional<qint64> BackUpProfiles(link::Port& port, HistoryRecorder& recorder);

// Writes a record's three banks back into the valve's user profiles with the
// sequence that loads a configuration file (its checks, frames, pauses and
// change-log line, the record named as the file), after the user said yes.
// False when the record keeps no banks or the user said no.
bool RestoreProfiles(link::Port& port, params::ValveState& valve, const ValveRecord& record,
                     params::ProfileDialog& dialog, view::Questions& questions);

}  // namespace tvx::history
