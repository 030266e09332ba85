#pragma once

#include <QByteArrayView>

// The program's parts that take outside input, each driven by arbitrary
// bytes: the same bodies run under libFuzzer (fuzz/*.cpp) and over the kept
// cases in the test suite. A broken promise ends the process (qFatal), so
// the fuzzer records the input and a kept case fails its test.
namespace FuzzChecks {

// The splash clip reader on a file of these bytes: an error or frames, never
// a crash; every frame it gives has the clip's size.
void clipReader(QByteArrayView bytes);

// The comparison list saved as RTF and read back: the same lines, letter for
// letter (control characters other than tab dropped, as the writer does).
void rtfRoundTrip(QByteArrayView bytes);

// A listing search built from typed criteria: a twin, an option, four bounds,
// a district and a status. Either the failure message, or a result that is
// exactly the rows of the register inside the bound values, with every typed
// value bound and never pasted into the statement.
void searchCriteria(QByteArrayView bytes);

} // namespace FuzzChecks
