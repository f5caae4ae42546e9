#pragma once

#include <QImage>
#include <QPoint>

class InstalledCopy;

// What a typical sale needs around the kiosk: the desktop's handler for "zvr:" URLs, and the sales
// page's print button.
namespace saleclick {

// Makes the copy's Ticketera the desktop's handler of the "zvr" scheme for Kiosk runs of the copy:
// its desktop entry, naming the copy's program, in the kiosk's own XDG data directory and the
// choice in its own mimeapps.list.
void registerTicketera(const InstalledCopy &copy);

// The middle of the local central server's "Imprimir ticket" button in a picture of the sales page;
// false while the page does not show it.
bool findPrintButton(const QImage &page, QPoint *middle);

} // namespace saleclick
