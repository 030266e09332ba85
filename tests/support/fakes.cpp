#include "support/fakes.h"

void putInPlace(ErrorReporter* fake)
{
    setErrorReporter(fake);
}

void putInPlace(Confirmer* fake)
{
    setConfirmer(fake);
}

void putInPlace(Clock* fake)
{
    setSystemClock(fake);
}

void putInPlace(Beeper* fake)
{
    setBeeper(fake);
}

void putInPlace(ShutdownRequest* fake)
{
    setShutdownRequest(fake);
}

void putInPlace(spreadsheet::SheetDialogs* fake)
{
    spreadsheet::setSheetDialogs(fake);
}
