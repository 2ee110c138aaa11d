#pragma once
#include "data/Dataset.h"
#include "ui/Form.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

// The product editor: creates a product in the goods catalogue or changes
// one. Opened by the product list, which sets the caption, the mode, the
// boxes and, to change, the product; the list also opens the group list
// before each showing and closes it after.
class TForm7 : public Form {
    Q_OBJECT
public:
    explicit TForm7(QWidget *parent = nullptr);

    // 1 = add, 2 = change.
    int Tag = 1;
    // The product being changed (change mode).
    qint64 ProductId = 0;

    // The nomenclature groups of the drop-down (level-2 classifier items).
    void OpenGroupList();
    void CloseGroupList();
    // Chooses the group with this id; 0 or an unknown id chooses none. The
    // choice is kept between showings.
    void SelectGroup(qint64 id);
    qint64 GroupKey() const { return m_groupKey; }

    // Boxes per piece as the box shows a stored value: no trailing zeros,
    // the user's decimal separator ("1.500000" -> "1,5").
    static QString BoxesText(const QString &stored);

    void FormActivate() override;
    void Button1Click(); // "Записать"

    QGroupBox *GroupBox1 = nullptr;
    QLineEdit *Edit1 = nullptr; // mark
    QLineEdit *Edit2 = nullptr; // boxes per piece
    QComboBox *cb_item = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;

    Dataset item;

protected:
    bool eventFilter(QObject *obj, QEvent *e) override;

private:
    void BuildLayout();
    void ConnectHandlers();
    void FillGroups();
    qint64 m_groupKey = 0;
};

extern TForm7 *Form7;
