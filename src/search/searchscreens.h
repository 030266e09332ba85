#pragma once

#include "kit/screens.h"

// The five listing searches (RentalFlatList, SaleFlatList, RentalPropertyList,
// SalePropertyList, LandList) and RequestList.
ScreenMakers searchScreens();
