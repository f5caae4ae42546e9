#include "sharedmodule.h"

#include "paths.h"

#include <QFile>
#include <dlfcn.h>

namespace platform {

SharedModule::SharedModule(const QString &fileName)
{
    // Never unmapped: the libraries it pulls in may leave exit handlers pointing into it.
    m_handle = dlopen(QFile::encodeName(pathOf(fileName)).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!m_handle)
        m_error = QString::fromLocal8Bit(dlerror());
}

SharedModule::~SharedModule()
{
    if (m_handle)
        dlclose(m_handle);
}

void *SharedModule::resolve(const char *symbol) const
{
    return m_handle ? dlsym(m_handle, symbol) : nullptr;
}

QString SharedModule::pathOf(const QString &fileName)
{
    return installationDirectory() + QStringLiteral("lib/") + fileName;
}

} // namespace platform
