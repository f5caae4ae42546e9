#pragma once

#include "messageboxes.h"

#include <QList>

// Message boxes that record what would have been shown.
class RecordingMessageBoxes : public MessageBoxes {
public:
    struct Box {
        Icon icon;
        QString caption;
        QString text;
    };
    void show(Icon icon, const QString &caption, const QString &text) override { boxes.append({icon, caption, text}); }
    QList<Box> boxes;
};
