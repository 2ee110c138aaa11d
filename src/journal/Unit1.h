#pragma once
#include "ui/Form.h"

#include <QStringList>

class Dataset;
class DBGrid;
class QCheckBox;
class QDateEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QTimer;

// The journal window: entries of one date per shift, and the hub that opens
// every other window.
class TForm1 : public Form {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);

    // Start-up steps run while the window is created: the data module, the
    // connection from the command line, the login window. False when the
    // database cannot be reached (the message has been shown).
    bool FormCreate(const QStringList &args);

    // Reads and claims the version row; ends the program on a mismatch.
    void CheckVersion();
    void Timer1Timer();

    // Build stamp of this program.
    int BuildDate = 0;
    int BuildTime = 0;

    int ShiftNumber = 1;
    QString LoginCode;
    // The shared journal dataset of the selected shift.
    Dataset &CurrentJournal() const;

    QTimer *Timer1 = nullptr;
    QMenuBar *MainMenu = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr,
                 *RadioButton4 = nullptr;
    QDateEdit *DateT = nullptr;
    QCheckBox *CBox1 = nullptr;
    DBGrid *DBGrid2 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr,
                *Button5 = nullptr, *Button8 = nullptr;
    QMenu *N_Reference = nullptr; // "Справочники"
    QMenu *N_Tabel = nullptr;     // "Табель"
    QMenu *N_Reports = nullptr;   // "Отчеты"

private:
    void BuildLayout();
    void ConnectHandlers();
};

extern TForm1 *Form1;
