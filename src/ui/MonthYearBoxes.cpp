#include "ui/MonthYearBoxes.h"
#include "ui/Form.h"

#include <QComboBox>
#include <QSignalBlocker>

MonthYearBoxes::MonthYearBoxes(QWidget *parent, const QString &monthName, const QString &yearName,
                               bool insertMissingYear)
    : QObject(parent), m_insertMissing(insertMissingYear)
{
    m_month = named(new QComboBox(parent), monthName, QStringLiteral("Месяц"));
    m_month->addItems(MonthPeriod::names());
    m_year = named(new QComboBox(parent), yearName, QStringLiteral("Год"));
    connect(m_month, &QComboBox::currentIndexChanged, this, &MonthYearBoxes::changed);
    connect(m_year, &QComboBox::currentIndexChanged, this, [this](int idx) {
        if (idx < 0)
            return;
        m_yearKey = m_year->itemText(idx).toInt();
        emit changed();
    });
}

void MonthYearBoxes::setYearRange(int first, int last)
{
    QStringList years;
    for (int y = first; y <= last; ++y)
        years << QString::number(y);
    const QSignalBlocker b(m_year);
    m_year->clear();
    m_year->addItems(years);
    int idx = m_year->findText(QString::number(m_yearKey));
    if (idx < 0 && m_year->count() > 0) {
        idx = 0;
        m_yearKey = m_year->itemText(0).toInt();
    }
    m_year->setCurrentIndex(idx);
}

void MonthYearBoxes::setYears(const QStringList &years)
{
    const QSignalBlocker b(m_year);
    m_year->clear();
    m_year->addItems(years);
    m_year->setCurrentIndex(m_year->findText(QString::number(m_yearKey)));
}

int MonthYearBoxes::month() const
{
    return qBound(0, m_month->currentIndex(), 11) + 1;
}

void MonthYearBoxes::select(int month, int year)
{
    const QSignalBlocker b1(m_month), b2(m_year);
    m_month->setCurrentIndex(qBound(1, month, 12) - 1);
    m_yearKey = year;
    const QString text = QString::number(year);
    int idx = m_year->findText(text);
    if (idx < 0 && m_insertMissing) {
        // A year outside the list (a journal date far off) joins it in order.
        idx = 0;
        while (idx < m_year->count() && m_year->itemText(idx).toInt() < year)
            ++idx;
        m_year->insertItem(idx, text);
    }
    m_year->setCurrentIndex(idx);
}
