#pragma once

#include <QRect>

class FindingsWindow;
class FormEntry;
class LabelButton;
class Screens;

// "Müşteriler" on a listing entry screen: the customer requests the current
// listing satisfies under a chosen criterion, with every phone number each
// holds; a double-click opens the request. Right after a new listing is
// posted the list is offered by itself, when anyone is waiting for it.
namespace ListingCustomers {

// Places the action on the entry screen, in frame; the register is the
// screen's own.
LabelButton* install(FormEntry* entry, Screens& screens, const QRect& frame);

// The entry screen's list, once it has been made; nullptr before.
FindingsWindow* window(const FormEntry* entry);

} // namespace ListingCustomers
