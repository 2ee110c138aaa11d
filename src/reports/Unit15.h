#pragma once
#include "data/Dataset.h"
#include "reports/engine/Engine.h"
#include "ui/Form.h"

// The printed monthly timesheet: one row per worker name with the day sums
// of all the worker's timesheet rows of the month (query H_Tabel), printed
// A4 landscape. The timesheet by shifts exports from H_Tabel and prints
// through Preview.
class TForm15 : public Form {
    Q_OBJECT
public:
    explicit TForm15(QWidget *parent = nullptr);

    // Parameters mnth and yea (integers).
    Dataset H_Tabel;
    static QString hTabelSql();

    // "Печать" of the timesheet by shifts: opens H_Tabel for the month, sets
    // the period label to periodText + " г." ("Март 2021 г."), prepares the
    // report, shows its preview and closes H_Tabel afterwards.
    void Preview(int month, int year, const QString &periodText);

    // The layout; its label QRLabel33 ("Данные за:") holds the period.
    Report::Layout QuickRep1;
    static Report::Layout BuildLayout();
    // Opens H_Tabel for the month, lays it out and closes H_Tabel again.
    Report::Prepared Prepare(int month, int year, const QString &periodText);
};

extern TForm15 *Form15;
