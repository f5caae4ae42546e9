#pragma once

#include <QString>

// Modal message boxes with one OK button; every box of the system goes through here so that
// tests can read caption, icon and text.
class MessageBoxes {
public:
    enum class Icon { Error, Warning, Information };

    virtual ~MessageBoxes() = default;
    // Returns when the user has closed the box.
    virtual void show(Icon icon, const QString &caption, const QString &text) = 0;
};
