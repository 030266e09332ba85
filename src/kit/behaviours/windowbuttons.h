#pragma once

class PressButton;
class ClickLabel;
class QWidget;

// Exit: the button's action closes the screen. A screen's close only hides it (see
// Screen), so its datasets and typed criteria survive until it is shown again.
namespace ExitButton {
void install(PressButton* button, QWidget* screen);
void install(ClickLabel* button, QWidget* screen);
} // namespace ExitButton

// Minimise: the button's action minimises the target window (the screen itself, or
// another window such as the main window), or every visible window of the program.
namespace MinimiseButton {
void install(PressButton* button, QWidget* target);
void install(ClickLabel* button, QWidget* target);
void installForApplication(PressButton* button);

void minimiseWindow(QWidget* window);
void minimiseApplication();
} // namespace MinimiseButton
