#include "reference/Unit2.h"
#include "data/Unit6.h"
#include "reference/ReferenceOps.h"
#include "ui/Checks.h"
#include "ui/Msg.h"
#include "ui/ListButtons.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>

TForm2 *Form2 = nullptr;

TForm2::TForm2(QWidget *parent)
    : Form(parent),
      department(DataModule6->ADO_DB, QStringLiteral("department"),
                 ReferenceOps::DepartmentsSql(), this),
      staffpos(DataModule6->ADO_DB, QStringLiteral("staffpos"), ReferenceOps::StaffPositionsSql(),
               this),
      roles(DataModule6->ADO_DB, QStringLiteral("roles"), ReferenceOps::RolesSql(), this)
{
    Form2 = this;
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Заведение данных нового работника"));
    BuildLayout();
    ConnectHandlers();
}

void TForm2::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    GroupBox1 = named(new QGroupBox(QStringLiteral("Данные о работнике"), this), QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(GroupBox1);
    Edit1 = named(new QLineEdit(GroupBox1), QStringLiteral("Edit1"), QStringLiteral("ФИО"));
    Edit1->setMaxLength(254);
    LCB_department = named(new QComboBox(GroupBox1), QStringLiteral("LCB_department"), QStringLiteral("Подразделение"));
    LCB_staffpos = named(new QComboBox(GroupBox1), QStringLiteral("LCB_staffpos"), QStringLiteral("Должность"));
    LCB_roles = named(new QComboBox(GroupBox1), QStringLiteral("LCB_roles"), QStringLiteral("Роль"));
    const QList<QPair<QString, QWidget *>> rows{{QStringLiteral("ФИО"), Edit1},
                                                {QStringLiteral("Подразделение"), LCB_department},
                                                {QStringLiteral("Должность"), LCB_staffpos},
                                                {QStringLiteral("Роль"), LCB_roles}};
    for (int r = 0; r < rows.size(); ++r) {
        auto *label = new QLabel(rows[r].first, GroupBox1);
        label->setBuddy(rows[r].second);
        grid->addWidget(label, r, 0);
        grid->addWidget(rows[r].second, r, 1);
    }
    for (QComboBox *box : {LCB_department, LCB_staffpos, LCB_roles}) {
        box->setMaxVisibleItems(10);
        box->setMinimumContentsLength(30);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setFocusPolicy(Qt::StrongFocus); // the wheel does not take the focus
    }
    lay->addWidget(GroupBox1);

    AddDialogButtons(this, lay, Button1, Button2);
    setFixedClientSize(430, 190);

    // The wheel turns whichever drop-down has the focus, wherever the mouse is.
    installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
}

void TForm2::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm2::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &QDialog::close); // Esc too (reject)
}

void TForm2::FormActivate()
{
    Edit1->setFocus();
}

bool TForm2::eventFilter(QObject *obj, QEvent *e)
{
    if (e->type() != QEvent::Wheel)
        return Form::eventFilter(obj, e);
    auto *box = qobject_cast<QComboBox *>(focusWidget());
    if (!box)
        return qobject_cast<QComboBox *>(obj) ? true : Form::eventFilter(obj, e);
    if (box->view()->isVisible()) // an open list scrolls as usual
        return Form::eventFilter(obj, e);
    const int dy = static_cast<QWheelEvent *>(e)->angleDelta().y();
    if (dy < 0 && box->currentIndex() + 1 < box->count())
        box->setCurrentIndex(box->currentIndex() + 1); // wheel down: the Down key
    else if (dy > 0 && box->currentIndex() > 0)
        box->setCurrentIndex(box->currentIndex() - 1); // wheel up: the Up key
    e->accept();
    return true;
}

void TForm2::Refill(QComboBox *box, Dataset &table)
{
    const QVariant key = box->currentData();
    const QSignalBlocker block(box);
    box->clear();
    table.close();
    table.open();
    for (int r = 0; r < table.recordCount(); ++r)
        box->addItem(Dataset::textOf(table.valueAt(r, QStringLiteral("s_caption"))),
                     Dataset::textOf(table.valueAt(r, QStringLiteral("id"))));
    box->setCurrentIndex(key.isValid() ? box->findData(key) : -1);
}

void TForm2::ReopenTables()
{
    Refill(LCB_staffpos, staffpos);
    Refill(LCB_roles, roles);
    Refill(LCB_department, department);
}

void TForm2::SelectDepartment(const QString &caption)
{
    const QString want = caption.trimmed();
    int found = -1;
    if (!want.isEmpty()) {
        for (int i = 0; i < LCB_department->count(); ++i)
            if (LCB_department->itemText(i).trimmed() == want) {
                found = i;
                break;
            }
    }
    LCB_department->setCurrentIndex(found);
}

void TForm2::Button1Click()
{
    const QString fio = Edit1->text().trimmed();
    if (fio.isEmpty()) {
        Msg::error(QStringLiteral("ФИО нужно заполнить!"), QStringLiteral("Ошибка"));
        return;
    }
    if (!Check::PlainText(QStringLiteral("ФИО"), fio))
        return;
    // The position column receives the department's caption.
    QString position = LCB_department->currentIndex() >= 0 ? LCB_department->currentText() : QString();
    if (Tag == 2) {
        if (LCB_department->currentIndex() < 0)
            position = StoredPosition;
    }
    ReferenceOps::SaveWorker(DataModule6->ADO_DB, {WorkerId, fio, position}, Tag != 2);
    close();
}
