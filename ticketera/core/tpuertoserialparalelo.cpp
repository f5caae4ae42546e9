#include "tpuertoserialparalelo.h"

#include "codepage.h"
#include "inputoutputerror.h"

#include <cerrno>

namespace {

const QByteArray kLineEnd("\r\n");
const QByteArray kPartialCut("\x1B\x69");

} // namespace

TPuertoSerialParalelo::TPuertoSerialParalelo(platform::PortDevice::NameMap portNames)
    : m_portNames(std::move(portNames))
{
}

void TPuertoSerialParalelo::fail(int code) const
{
    throw InputOutputError(code, platform::PortDevice::errorText(code), portFile.path);
}

int TPuertoSerialParalelo::abrirPuerto(const QString &puerto)
{
    portFile.buffer.clear();
    portFile.path = platform::PortDevice::resolveName(puerto, m_portNames);
    if (const int code = portFile.device.open(portFile.path))
        fail(code);
    return 1;
}

void TPuertoSerialParalelo::writeBuffer()
{
    if (portFile.buffer.isEmpty())
        return;
    const QByteArray pending = std::exchange(portFile.buffer, QByteArray());
    if (const int code = portFile.device.write(pending.constData(), pending.size()))
        fail(code);
}

void TPuertoSerialParalelo::put(const QByteArray &bytes)
{
    if (!portFile.device.isOpen())
        fail(EBADF);
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype room = PortFile::kBufferSize - portFile.buffer.size();
        portFile.buffer.append(bytes.mid(i, room));
        i += room;
        if (portFile.buffer.size() == PortFile::kBufferSize)
            writeBuffer();
    }
}

void TPuertoSerialParalelo::flush()
{
    // A disk file or a share takes its bytes when the buffer fills and at close.
    if (portFile.device.isCharacterDevice())
        writeBuffer();
}

int TPuertoSerialParalelo::cerrarPuerto()
{
    if (!portFile.device.isOpen())
        fail(EBADF);
    int code = 0;
    try {
        writeBuffer();
    } catch (const InputOutputError &e) {
        code = e.code();
    }
    const int closeCode = portFile.device.close();
    if (code || closeCode)
        fail(code ? code : closeCode);
    return 1;
}

bool TPuertoSerialParalelo::escribirPuerto(const QString &as_cadena)
{
    put(CodePage::fromUnicode(as_cadena) + kLineEnd);
    flush();
    return true;
}

bool TPuertoSerialParalelo::escribirLineasPuerto(const QStringList &lineas)
{
    for (const QString &linea : lineas)
        escribirPuerto(linea);
    return escribirSeparacionCorte(2);
}

bool TPuertoSerialParalelo::escribirSeparacionCorte(int numeroSaltos)
{
    for (int i = 0; i < numeroSaltos; ++i) {
        put(kLineEnd);
        flush();
    }
    put(kPartialCut);
    flush();
    return true;
}

QString TPuertoSerialParalelo::leerPuerto(int ai_cantidad)
{
    if (!portFile.device.isOpen())
        fail(EBADF);
    QByteArray pending;
    QString last;
    char chunk[256];
    for (;;) {
        qsizetype received = 0;
        if (const int code = portFile.device.read(chunk, sizeof chunk, &received))
            fail(code);
        if (received == 0)
            break;
        pending.append(chunk, received);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            if (line.endsWith('\r'))
                line.chop(1);
            last = CodePage::toUnicode(line);
            if (last.size() >= ai_cantidad)
                return last;
        }
    }
    return pending.isEmpty() ? last : CodePage::toUnicode(pending);
}
