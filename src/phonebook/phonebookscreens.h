#pragma once

#include "kit/screens.h"

// The phone book: PhoneBook, PhoneEntry, PhoneSearch and PhoneEdit.
ScreenMakers phoneBookScreens();
