#pragma once

#include "kit/formentry.h"

// "Arsa Ve Arazi Girişi": plots and farmland (table arsa), for sale or rent. The
// owner's details, price and status lie under the stop-sign panel until
// "Emlak Sahibini Göster".
class LandEntry : public FormEntry {
    Q_OBJECT
public:
    explicit LandEntry(Screens& screens);
    static const FormPlan& plan();
};

// "Müşteri Talepleri Girişi": what a customer looks for (table
// musteritalepleri). The registration date (field Tavanlar) comes last in tab
// order and is stamped with today's date whenever it takes the focus.
class RequestEntry : public FormEntry {
    Q_OBJECT
public:
    explicit RequestEntry(Screens& screens);
    static const FormPlan& plan();
};

// Registers LandEntry and RequestEntry with the program's screen registry.
ScreenMakers landAndRequestScreens();
