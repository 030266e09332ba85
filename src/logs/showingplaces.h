#pragma once

class FindingsWindow;
class LabelButton;
class Screens;
class ShowingEntry;
class ShowingLinks;

// Filling a showing's places from the registers: beside each place a small
// action (and F4 in the place) lists the listings of the registers that fit
// the log, narrowed by a register choice and a typed text (district, street,
// anything the row shows); Enter or a double-click writes the listing into
// the place as a clerk would type it and links it to the showing. A linked
// place says so in its action, its tooltip and the line over the places.
namespace ShowingPlaces {

// At most this many listings are listed at once; the typed text narrows them.
inline constexpr int PickLimit = 500;

void install(ShowingEntry* entry, Screens& screens);

// The entry screen's links and its place actions (place 1-4).
ShowingLinks* links(const ShowingEntry* entry);
LabelButton* pickAction(const ShowingEntry* entry, int place);
// Opens the list for place 1-4, as the action and F4 do.
void pickInto(const ShowingEntry* entry, int place);
// The list, once it has been made; nullptr before.
FindingsWindow* picker(const ShowingEntry* entry);

} // namespace ShowingPlaces
