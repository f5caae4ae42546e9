#include "salesdocuments.h"

#include <cstdio>
#include <string_view>
#include <vector>

namespace salesdocuments {
namespace {

struct Sale {
    const char *date;
    const char *product;
    const char *amount;
};
const Sale kSales[] = {
    {"2024-05-02 09:14", "Recarga movil 10", "10,00"},
    {"2024-05-02 11:40", "Recarga movil 5", "5,00"},
    {"2024-05-02 17:03", "Recarga internet 20", "20,00"},
};
const char kTotal[] = "35,00";

// Three line feeds and GS V 1 in the print string's escape notation.
const char kCutMarker[] = "\\n\\n\\n\\x1D\\x56\\x01";

std::string uriComponent(const std::string &text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
            std::string_view("-_.!~*'()").find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    return out;
}

} // namespace

std::string reportPdf()
{
    std::string content = "BT /F1 16 Tf 56 780 Td (Informe de ventas) Tj /F1 11 Tf 0 -32 Td";
    for (const Sale &sale : kSales)
        content += std::string(" (") + sale.date + "   " + sale.product + "   " + sale.amount + ") Tj 0 -18 Td";
    content += std::string(" (Total: ") + kTotal + ") Tj ET";

    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R"
        " /Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
    };
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const size_t offset : offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::string reportCsv()
{
    std::string csv = "Fecha;Producto;Importe\r\n";
    for (const Sale &sale : kSales)
        csv += std::string(sale.date) + ';' + sale.product + ';' + sale.amount + "\r\n";
    return csv + ";Total;" + kTotal + "\r\n";
}

std::string printTicketUrl()
{
    // Four line fields, all before the barcode: the marker's field is counted once although it
    // both ends the first ticket and starts the second.
    const std::vector<std::string> fields = {
        "LIB", "4", "1", "0", "12345678901234567890", "0", "",
        "1RECARGA MOVIL", "0Importe: 10,00", std::string("0") + kCutMarker + "COPIA - RECARGA MOVIL", "0Importe: 10,00",
    };
    std::string url = "ZVR:";
    for (size_t i = 0; i < fields.size(); ++i)
        url += (i ? "&" : "") + uriComponent(fields[i]);
    return url;
}

} // namespace salesdocuments
