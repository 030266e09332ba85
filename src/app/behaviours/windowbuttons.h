#pragma once

class PressButton;
class ClickLabel;
class QWidget;

// Exit: the button's action closes the screen. A screen's close only hides it (see
// Screen), so its datasets and typed criteria survive until it is shown again.
void ExitButton(PressButton* button, QWidget* screen);
void ExitButton(ClickLabel* button, QWidget* screen);

// Minimise: the button's action minimises the target window (the screen itself, or
// another window such as the main window).
void MinimiseButton(PressButton* button, QWidget* target);
void MinimiseButton(ClickLabel* button, QWidget* target);

// Minimise the whole application: every visible top-level window.
void MinimiseApplicationButton(PressButton* button);
void minimiseWindow(QWidget* window);
void minimiseApplication();
