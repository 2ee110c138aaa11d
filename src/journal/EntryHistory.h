#pragma once
#include "journal/ChangeHistory.h"
#include "ui/Form.h"

#include <QDate>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// "История записи": the change history of one journal or maintenance entry,
// newest first, with who changed it, from which machine, and what changed.
// Opened on the selected entry, or on the entries deleted from a day's
// journal (chosen in "Запись").
class EntryHistoryWindow : public Form {
    Q_OBJECT
public:
    explicit EntryHistoryWindow(QWidget *parent = nullptr);

    // The entry's history, shown modally. With a day, the entries deleted
    // from that day's journal are offered in "Запись" too.
    void OpenFor(ChangeHistory::Source source, int entryId, const QDate &day = {});
    // The entries of the day deleted from the journal: their list, the
    // first one's history; shown modally. Tells when there are none.
    void OpenDeleted(ChangeHistory::Source source, const QDate &day);

    // Shows the history of an entry in the grid.
    void Load(ChangeHistory::Source source, int entryId);
    // "Запись": the chosen entry's history.
    void CBox1Change();
    void Button1Click(); // "Закрыть"

    QLabel *Label1 = nullptr;
    QComboBox *CBox1 = nullptr; // the entry, or the day's deleted entries
    QTableWidget *Grid = nullptr;
    QPushButton *Button1 = nullptr;

private:
    void BuildLayout();
    void ConnectHandlers();
    void Show(ChangeHistory::Source source, const QList<ChangeHistory::DeletedEntry> &entries);
    ChangeHistory::Source m_source = ChangeHistory::Source::Journal;
};

extern EntryHistoryWindow *EntryHistory;
