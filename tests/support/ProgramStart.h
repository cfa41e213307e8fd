#pragma once

#include "app/TMainForm.h"
#include "data/TDM1.h"
#include "forms/TOrvet_New_Day_N_F.h"
#include "forms/TOrvet_New_F.h"

#include <QString>

// The program started on a data folder as main() starts it, with the
// editor and the day editor; the main window shown and its first events
// handled. Errors go to whatever dialog host the caller has put up.
struct ProgramStart {
    TMainForm mainForm;
    TDM1 dm;
    TOrvet_New_F editor;
    TOrvet_New_Day_N_F day;

    explicit ProgramStart(const QString &dir);
    ~ProgramStart();
    ProgramStart(const ProgramStart &) = delete;
    ProgramStart &operator=(const ProgramStart &) = delete;
};

// Every row of every table read the way the lists read them. Returns what
// is wrong when a table is not open; a failed read throws as in the program.
QString readEveryRow(TDM1 &dm);
