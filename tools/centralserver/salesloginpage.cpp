#include "salesloginpage.h"

#include "loginform.h"
#include "salesdocuments.h"

namespace {

// The kiosk sends its fields in its 8-bit code page, Windows-1252 by default; the pages use the
// same, so a name comes back as it was typed.
const char kContentType[] = "text/html; charset=windows-1252";

std::string escaped(const std::string &text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string page(const std::string &title, const std::string &header, const std::string &main)
{
    return "<!DOCTYPE html>\n<html lang=\"es\"><head><meta charset=\"windows-1252\"><title>" + title +
           "</title><style>"
           "body{margin:0;font-family:sans-serif;background:#eef1f5;color:#1d2733}"
           "header{background:#1f4e79;color:#fff;padding:14px 24px;display:flex;justify-content:space-between;"
           "align-items:baseline}"
           "header h1{margin:0;font-size:22px}main{padding:24px;max-width:860px}"
           "section{background:#fff;border-radius:6px;padding:16px 20px;margin-bottom:16px;"
           "box-shadow:0 1px 3px rgba(0,0,0,.2)}h2{margin-top:0;font-size:17px}"
           "a.boton{display:inline-block;padding:10px 18px;margin-right:10px;border-radius:4px;color:#fff;"
           "background:#2e7d32;text-decoration:none}a.descarga{background:#1f4e79}"
           "</style></head>\n<body><header>" + header + "</header>\n<main>" + main + "</main></body></html>\n";
}

std::string salesPage(const std::string &who, const std::string &terminal, const std::string &version)
{
    const std::string header = "<h1>Zelvora VANTO</h1><div>Sesi\xF3n: <b id=\"usuario\">" + who +
                               "</b> \xB7 Terminal <span id=\"terminal\">" + terminal +
                               "</span> \xB7 Mostrador <span id=\"version\">" + version + "</span></div>";
    const std::string main =
        "<section><h2>Venta</h2><p>Recarga m\xF3vil, importe 10,00</p>"
        "<a id=\"imprimir\" class=\"boton\" href=\"" + escaped(salesdocuments::printTicketUrl()) + "\">Imprimir ticket</a>"
        "</section>\n<section><h2>Informes</h2>"
        "<a id=\"informe-pdf\" class=\"boton descarga\" href=\"/VANTO/informe.pdf\">Informe de ventas (PDF)</a>"
        "<a id=\"informe-csv\" class=\"boton descarga\" href=\"/VANTO/informe.csv\">Informe de ventas (CSV)</a>"
        "</section>";
    return page("VANTO - Ventas", header, main);
}

std::string refusal(const std::string &reason)
{
    return page("VANTO", "<h1>Zelvora VANTO</h1>",
                "<section><h2 id=\"error\">" + reason + "</h2><p>No se inici\xF3 la sesi\xF3n.</p></section>");
}

} // namespace

void SalesLoginPage::serve(const httplib::Request &request, httplib::Response &response, const RequestContext &) const
{
    const std::optional<LoginForm> form = parseLoginForm(request.body);
    if (!form) {
        response.set_content(salesPage("Taquilla Ormeza", "-", "-"), kContentType);
    } else if (form->firma != loginSignature(form->usuario, form->password)) {
        response.status = 403;
        response.set_content(refusal("Firma no v\xE1lida"), kContentType);
    } else {
        response.set_content(salesPage(escaped(form->usuario), escaped(form->volumenhd), escaped(form->version)),
                             kContentType);
    }
}
