#include "codepage.h"

#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <iconv.h>

namespace {

constexpr char kDefaultCodePage[] = "WINDOWS-1252";

// iconv descriptors are not thread-safe: each thread keeps its own pair.
class Converters {
public:
    Converters()
    {
        m_name = QString::fromLatin1(qgetenv("ZELVORA_CODEPAGE"));
        if (m_name.isEmpty() || !open(m_name.toLatin1()))
            m_name = QString::fromLatin1(kDefaultCodePage), open(kDefaultCodePage);
    }
    ~Converters()
    {
        if (m_encode != invalid())
            iconv_close(m_encode);
        if (m_decode != invalid())
            iconv_close(m_decode);
    }
    Converters(const Converters &) = delete;
    Converters &operator=(const Converters &) = delete;

    iconv_t encoder() const { return m_encode; }
    iconv_t decoder() const { return m_decode; }
    const QString &name() const { return m_name; }

private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }
    bool open(const QByteArray &codePage)
    {
        iconv_t encode = iconv_open(codePage.constData(), "UTF-32LE");
        if (encode == invalid())
            return false;
        iconv_t decode = iconv_open("UTF-16LE", codePage.constData());
        if (decode == invalid()) {
            iconv_close(encode);
            return false;
        }
        m_encode = encode;
        m_decode = decode;
        return true;
    }

    iconv_t m_encode = invalid();
    iconv_t m_decode = invalid();
    QString m_name;
};

Converters &converters()
{
    thread_local Converters instance;
    return instance;
}

bool encodeOne(iconv_t cd, char32_t codePoint, QByteArray &out)
{
    char in[4] = {char(codePoint & 0xFF), char((codePoint >> 8) & 0xFF), char((codePoint >> 16) & 0xFF),
                  char((codePoint >> 24) & 0xFF)};
    char buffer[16];
    char *inPtr = in;
    char *outPtr = buffer;
    size_t inLeft = sizeof in;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
        return false;
    // Stateful code pages may need a closing shift sequence.
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1))
        return false;
    out.append(buffer, outPtr - buffer);
    return true;
}

} // namespace

QByteArray CodePage::fromUnicode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    iconv_t cd = nullptr;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            out.append(char(c));
            continue;
        }
        char32_t codePoint = c;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(c, text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            out.append('?');
            continue;
        }
        if (!cd)
            cd = converters().encoder();
        if (!encodeOne(cd, codePoint, out))
            out.append('?');
    }
    return out;
}

QString CodePage::toUnicode(const QByteArray &bytes)
{
    bool ascii = true;
    for (char b : bytes)
        ascii = ascii && static_cast<unsigned char>(b) < 0x80;
    if (ascii)
        return QString::fromLatin1(bytes);

    iconv_t cd = converters().decoder();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    QString out(bytes.size(), Qt::Uninitialized);
    char *inPtr = const_cast<char *>(bytes.constData());
    size_t inLeft = bytes.size();
    char *outStart = reinterpret_cast<char *>(out.data());
    char *outPtr = outStart;
    size_t outLeft = out.size() * sizeof(char16_t);
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            const qsizetype used = outPtr - outStart;
            out.resize(out.size() * 2 + 4);
            outStart = reinterpret_cast<char *>(out.data());
            outPtr = outStart + used;
            outLeft = out.size() * sizeof(char16_t) - used;
            continue;
        }
        // A byte the code page leaves undefined: keep its value rather than lose it.
        if (outLeft < sizeof(char16_t)) {
            const qsizetype used = outPtr - outStart;
            out.resize(out.size() + 4);
            outStart = reinterpret_cast<char *>(out.data());
            outPtr = outStart + used;
            outLeft = out.size() * sizeof(char16_t) - used;
        }
        const char16_t replacement = static_cast<unsigned char>(*inPtr);
        memcpy(outPtr, &replacement, sizeof replacement);
        outPtr += sizeof replacement;
        outLeft -= sizeof replacement;
        ++inPtr;
        --inLeft;
    }
    out.resize((outPtr - outStart) / qsizetype(sizeof(char16_t)));
    return out;
}

QString CodePage::name()
{
    return converters().name();
}
