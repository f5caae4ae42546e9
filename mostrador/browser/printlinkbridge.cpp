#include "printlinkbridge.h"

PrintLinkBridge::PrintLinkBridge(std::function<void(const QString &)> receiver, QObject *parent)
    : QObject(parent), m_receiver(std::move(receiver))
{
}

void PrintLinkBridge::abrir(const QString &text)
{
    m_receiver(text);
}
