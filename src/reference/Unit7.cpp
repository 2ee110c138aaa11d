#include "reference/Unit7.h"
#include "data/DbError.h"
#include "data/Notice.h"
#include "data/Unit6.h"
#include "reference/ReferenceOps.h"
#include "ui/Checks.h"
#include "ui/Msg.h"
#include "ui/Text.h"
#include "ui/ListButtons.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QVBoxLayout>

TForm7 *Form7 = nullptr;

TForm7::TForm7(QWidget *parent)
    : Form(parent),
      item(DataModule6->ADO_DB, QStringLiteral("item"),
           ReferenceOps::ProductGroupsSql(), this)
{
    Form7 = this;
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Заведение нового изделия (7)"));
    BuildLayout();
    ConnectHandlers();
}

void TForm7::BuildLayout()
{
    auto *lay = new QVBoxLayout(this);
    GroupBox1 = named(new QGroupBox(QStringLiteral("Данные об изделии"), this), QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(GroupBox1);
    Edit1 = named(new QLineEdit(GroupBox1), QStringLiteral("Edit1"), QStringLiteral("Марка"));
    Edit1->setMaxLength(254);
    Edit2 = named(new QLineEdit(GroupBox1), QStringLiteral("Edit2"), QStringLiteral("Расценка"));
    Edit2->setContextMenuPolicy(Qt::NoContextMenu); // digits are typed, not pasted
    Edit2->installEventFilter(this);
    cb_item = named(new QComboBox(GroupBox1), QStringLiteral("cb_item"), QStringLiteral("Номенклатурная группа"));
    cb_item->setMinimumContentsLength(30);
    cb_item->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto *l1 = new QLabel(QStringLiteral("Марка"), GroupBox1);
    auto *l2 = new QLabel(QStringLiteral("Расценка"), GroupBox1);
    l1->setBuddy(Edit1);
    l2->setBuddy(Edit2);
    grid->addWidget(l1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(l2, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(cb_item, 2, 0, 1, 2);
    lay->addWidget(GroupBox1);

    AddDialogButtons(this, lay, Button1, Button2);
    setFixedClientSize(430, 170);
}

void TForm7::ConnectHandlers()
{
    connectGuarded(Button1, &QPushButton::clicked, &TForm7::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, &QDialog::close); // Esc too (reject)
    connectGuarded(cb_item, &QComboBox::currentIndexChanged, [this](int i) {
        m_groupKey = i >= 0 ? cb_item->itemData(i).toLongLong() : 0;
    });
}

void TForm7::FormActivate()
{
    Edit1->setFocus();
}

// Boxes per piece take digits and Backspace; "." and "," both enter ".";
// every other character is dropped.
bool TForm7::eventFilter(QObject *obj, QEvent *e)
{
    if (obj == Edit2 && e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab)
            return Form::eventFilter(obj, e); // the walk through the window
        const QString t = k->text();
        if (t.size() == 1 && t[0].isPrint()) {
            const QChar c = t[0];
            if (c >= u'0' && c <= u'9')
                return false;
            if (c == u'.' || c == u',')
                Edit2->insert(QStringLiteral("."));
            return true;
        }
        if (t.size() == 1 && t[0] != u'\b' && t[0] != u'\r' && t[0] != u'\n' && t[0] != QChar(27)
            && t[0] != u'\t' && t[0] != QChar(0x7f))
            return true; // control characters such as Ctrl+V
    }
    return Form::eventFilter(obj, e);
}

QString TForm7::BoxesText(const QString &stored)
{
    QString s = Text::TrimZeros(stored.trimmed());
    return s.replace(u'.', Text::DecimalPoint());
}

void TForm7::FillGroups()
{
    const QSignalBlocker block(cb_item);
    cb_item->clear();
    if (item.isOpen())
        for (int r = 0; r < item.recordCount(); ++r)
            cb_item->addItem(Dataset::textOf(item.valueAt(r, QStringLiteral("s_caption"))),
                             Dataset::textOf(item.valueAt(r, QStringLiteral("id"))).toLongLong());
    cb_item->setCurrentIndex(m_groupKey != 0 ? cb_item->findData(m_groupKey) : -1);
}

void TForm7::OpenGroupList()
{
    item.open();
    FillGroups();
}

void TForm7::CloseGroupList()
{
    item.close();
    FillGroups();
}

void TForm7::SelectGroup(qint64 id)
{
    m_groupKey = id;
    const QSignalBlocker block(cb_item);
    cb_item->setCurrentIndex(id != 0 ? cb_item->findData(id) : -1);
}

void TForm7::Button1Click()
{
    const QString marka = Edit1->text().trimmed();
    const QString boxes = Edit2->text().trimmed();
    const qint64 group = cb_item->currentIndex() >= 0 ? cb_item->currentData().toLongLong() : 0;
    if (marka.isEmpty() || boxes.isEmpty() || group == 0) {
        Msg::error(QStringLiteral("Все поля должны быть заполнены!"), QStringLiteral("Ошибка"));
        return;
    }
    // The typed number with a point, whatever separator it was typed with.
    QString number = boxes;
    int sep = number.indexOf(u',');
    if (sep < 0)
        sep = number.indexOf(u'.');
    if (sep >= 0)
        number[sep] = u'.';
    static const QRegularExpression decimal(QStringLiteral("^(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!decimal.match(number).hasMatch())
        throw DbError(QStringLiteral("'%1' не является числом").arg(boxes));
    // Nothing is written that the product list could not read back.
    if (!Check::PlainText(QStringLiteral("Марка"), marka)
        || !Check::FitsText(QStringLiteral("Расценка"), number, Columns::BoxesPerPiece()))
        return;

    TDataModule6 &dm = *DataModule6;
    const bool written = ReferenceOps::SaveProduct(dm.ADO_DB, {ProductId, marka, number, group}, Tag != 2)
                         == ReferenceOps::SaveResult::Saved;
    if (!written) {
        Notice::error(QStringLiteral("Такая марка изделия уже заведена!"), QStringLiteral("Ошибка"));
        return;
    }
    close();
    Check::ReloadAfterWrite([&] { dm.Izdel.reopen(); });
}
