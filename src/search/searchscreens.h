#pragma once

// Registers the five listing searches (RentalFlatList, SaleFlatList,
// RentalPropertyList, SalePropertyList, LandList) and RequestList with the
// program's screen registry.
void registerSearchScreens();
