#pragma once

#include "printtypes.h"

#include <optional>

// Reads a decoded print string: the header fields once, then the lines ticket by ticket.
// The string is consumed from the front; a field holding the cut marker ends a ticket and
// what follows the marker becomes the next ticket's first line.
class PrintStringReader {
public:
    // Three line feeds and GS V 1, written out in escape notation: 18 ordinary characters.
    static constexpr QStringView kCutMarker = uR"(\n\n\n\x1D\x56\x01)";
    // A job announcing more lines than this is not a ticket: the counts and the lines disagree.
    static constexpr int kMaxLinesPerJob = 10000;
    // Far above any ticket: a job whose lines hold more text (repeats of the last field
    // included) is refused before anything is printed.
    static constexpr qint64 kMaxTextPerJob = 1048576;
    // The log turns over at 1 MiB: the detail lines of one job's reading share this many bytes,
    // so that not even the largest job turns its own start out of the log.
    static constexpr qint64 kDetailLogBudget = 256 * 1024;
    // Characters of what is left of the string shown after each line and ticket.
    static constexpr qsizetype kRemainingShown = 80;

    explicit PrintStringReader(QString printString);

    // Raises ConversionError when a numeric field is not a number, a count is not believable or
    // the job's lines would hold more text than kMaxTextPerJob.
    PrintHeader readHeader();
    bool hasMoreTickets() const;
    // Fills the four empty lists; raises ListIndexError when a cut marker stands in the first
    // line a list receives.
    void readTicket(TicketLines &ticket);

    const QString &remaining() const { return m_rest; }
    // A detail line of this job's reading, while the job's budget lasts.
    void logDetail(const QString &message);
    // "Cadena restante:" and the start of what is left of the string.
    void logRemaining();
    int countLineasBefore() const { return m_countBefore; }
    int countLineasAfter() const { return m_countAfter; }

private:
    struct Line {
        QString format;
        QString text;
        qsizetype marker = -1; // where the cut marker starts in the text
    };

    void advance();
    QString field() const;
    int integerField() const;
    Line readLine();
    void readLines(int &counter, int bound, QStringList &texts, QStringList &formats, QStringView label,
                   int logOffset);
    void checkJobText() const;

    QString m_rest;
    // The last field once the string has no "&" left: every further line repeats it, sharing
    // its text instead of copying it again.
    std::optional<Line> m_repeat;
    bool m_quiet = false; // reading ahead to measure the job: nothing is logged
    qint64 m_detailLogged = 0;
    PrintHeader m_header;
    int m_countBefore = 0;
    int m_countAfter = 0;
};
