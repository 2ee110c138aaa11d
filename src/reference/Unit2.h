#pragma once
#include "data/Command.h"
#include "data/Dataset.h"
#include "ui/Form.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

// The worker editor: creates a worker or changes one. Opened by the worker
// list, which sets the caption, the mode and, to change, the worker.
class TForm2 : public Form {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    // 1 = add, 2 = change.
    int Tag = 1;
    // The worker being changed (change mode).
    int WorkerId = 0;
    // The changed worker's stored position text: kept when no department is
    // chosen, so a rename does not wipe it.
    QString StoredPosition;

    // Closes and reopens the department, position and role tables; each
    // drop-down keeps its chosen row when that row still exists.
    void ReopenTables();
    // Chooses the department whose caption equals the given text; none when
    // nothing matches.
    void SelectDepartment(const QString &caption);

    void FormActivate() override;
    void Button1Click(); // "Записать"

    QGroupBox *GroupBox1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QComboBox *LCB_department = nullptr;
    QComboBox *LCB_staffpos = nullptr;
    QComboBox *LCB_roles = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;

    // Lists behind the drop-downs (whole tables, table order).
    Dataset department, staffpos, roles;

protected:
    bool eventFilter(QObject *obj, QEvent *e) override;

private:
    void BuildLayout();
    void ConnectHandlers();
    static void Refill(QComboBox *box, Dataset &table);
};

extern TForm2 *Form2;
