#include "singleinstancelock.h"

#include "messageboxes.h"

SingleInstanceLock::SingleInstanceLock(const QString &lockFilePath)
    : m_lock(lockFilePath, platform::FileLock::Wait::DontBlock)
{
}

bool SingleInstanceLock::comprobar(MessageBoxes &messageBoxes, const QString &caption) const
{
    switch (m_lock.state()) {
    case platform::FileLock::State::Locked:
        return true;
    case platform::FileLock::State::Busy:
        messageBoxes.show(MessageBoxes::Icon::Error, caption,
                          QStringLiteral("La aplicación ZelvoraMostrador ya esta funcionando"));
        return false;
    case platform::FileLock::State::Failed:
        break;
    }
    messageBoxes.show(MessageBoxes::Icon::Error, caption,
                      QStringLiteral("Error en la comprobación de ejecución de la aplicación"));
    return false;
}
