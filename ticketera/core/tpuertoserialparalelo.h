#pragma once

#include "portdevice.h"

#include <QByteArray>
#include <QStringList>

// Writes ticket lines as raw 8-bit text to a serial or parallel port, or to any name the
// system opens for writing. Output goes through a 128-byte buffer; on a character device every
// line is handed to the system as soon as it is written.
class TPuertoSerialParalelo {
public:
    explicit TPuertoSerialParalelo(platform::PortDevice::NameMap portNames = {});

    // Opens the port for writing (an existing file is emptied); returns 1. Raises
    // InputOutputError with the system's error code when it cannot be opened.
    int abrirPuerto(const QString &puerto);
    // Writes out what is buffered and closes the port; returns 1.
    int cerrarPuerto();
    // The text in the code page, then CR LF, then a flush; returns true.
    bool escribirPuerto(const QString &as_cadena);
    // Every line, two more line ends and the partial cut command ESC "i".
    bool escribirLineasPuerto(const QStringList &lineas);
    // `numeroSaltos` line ends, then ESC "i".
    bool escribirSeparacionCorte(int numeroSaltos);
    // Reads lines until the end or until one holds at least `ai_cantidad` characters; returns
    // the last line read. Needs a port open for reading, which abrirPuerto does not give.
    QString leerPuerto(int ai_cantidad);

private:
    // The open port and its output buffer.
    struct PortFile {
        static constexpr qsizetype kBufferSize = 128;
        platform::PortDevice device;
        QString path;
        QByteArray buffer;
    };

    void put(const QByteArray &bytes);
    void flush();
    void writeBuffer();
    [[noreturn]] void fail(int code) const;

    platform::PortDevice::NameMap m_portNames;
    PortFile portFile;
};
