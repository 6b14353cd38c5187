// The valve history as the window shows it, without widgets: the list of a
// valve's records, one record against the values in the window now, parameter
// by parameter, and a record's words put back into the window's fields so that
// the window's own send writes them.
#pragma once

#include "history/history_store.h"
#include "params/parameter_set.h"

#include <QString>

#include <vector>

namespace tvx::history {

// One line of the record list.
struct RecordLine {
  qint64 id = 0;
  QString time;       // "2026-12-08 12:45:03"
  QString who;        // "jan@serwis-pc, poziom 2"
  QString operation;  // "Zapisz", with " (profile)" when it keeps the banks
  QString changes;    // what it changed, "" for none
};
std::vector<RecordLine> RecordLines(const std::vector<RecordSummary>& records);

// One parameter of a record against the window (the held values: `held`).
struct ComparedParameter {
  int reg = 0;
  QString caption;   // the window's words and the unit: "Częstotliwość PWM (PWM) [Hz]"
  QString recorded;  // as a field would show it; "?" when the record does not know it
  QString window;    // the field's text now; "?" where the window has no such field
  bool differs = false;
};
std::vector<ComparedParameter> CompareWithWindow(const SetWordsArray& recorded, const params::ParameterView& window,
                                                 const params::HeldParameters& held);

// Whether a record holds every word the window's send writes.
bool HoldsSentSet(const SetWordsArray& words);

// The record's words into the window as a read puts them there: the
// configuration word, the fields (each remembering its word, so the send
// writes it bit for bit) and the held values of `valve`. No exchange.
void ShowRecordedSet(params::ParameterView& window, params::ValveState& valve, const SetWordsArray& words);

// The operation named in the change log and the history for a restore.
QString RestoreOperation(qint64 record, bool store);

}  // namespace tvx::history
