#pragma once

class PersonHistory;
class Printer;

// The printed report: the history drawn against the normal range, then the
// header line and every record line as text. Ending the document is left to
// the caller, who may have something to say first.
class PrintedReport
{
public:
    // Without a person file only the spacing lines and the separator rule.
    static void print(Printer &printer, const PersonHistory &history);
};
