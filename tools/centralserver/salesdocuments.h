#pragma once

#include <string>

// What the stand-in sales application hands out: the day's sales report as a download, and
// the print request of a sale.
namespace salesdocuments {

// A one-page PDF of the report.
std::string reportPdf();
// The same report as CSV, ";"-separated with CR LF line ends.
std::string reportCsv();
// The "ZVR:" URL of one sale: two tickets of one job (the customer's and a copy), each ending
// in the same barcode, separated by the cut marker; lines percent-encoded as the page's script
// would (encodeURIComponent), fields joined by "&".
std::string printTicketUrl();

} // namespace salesdocuments
