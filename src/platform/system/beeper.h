#pragma once

// The system beep, behind an interface so tests can count beeps instead of hearing them.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// The beeper in use: the real one unless a test has put its own in place.
Beeper& beeper();
// Puts a replacement in place (not owned); nullptr restores the real beeper.
void setBeeper(Beeper* replacement);
