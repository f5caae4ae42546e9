#pragma once

#include <QWidget>

// The window of Ticketera's main form: empty, shown only after a failure that stopped the
// start-up, so the user sees the program until closing it.
class MainWindowView : public QWidget {
public:
    explicit MainWindowView(QWidget *parent = nullptr);
};
