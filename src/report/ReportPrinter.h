#pragma once

class QPrinter;

// The printer of the run: the system's default until the print dialog
// chooses another, which then holds for every later print. Every print is
// A4 portrait, and the job says so to the print queue.
class ReportPrinter {
public:
    // Before the print dialog: the chosen printer (the default when it has
    // gone since), A4 portrait.
    static void prepare(QPrinter &printer);
    // After it: remembers its printer and makes the job portrait.
    static void accept(QPrinter &printer);
};
