#include "printlinkbridge.h"

PrintLinkBridge::PrintLinkBridge(Receiver receiver, QObject *parent)
    : QObject(parent), m_receiver(std::move(receiver))
{
}

void PrintLinkBridge::abrir(const QString &text, bool byUser)
{
    m_receiver(text, byUser ? Source::ClerksClick : Source::PagesScript);
}

