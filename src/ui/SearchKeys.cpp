#include "ui/SearchKeys.h"
#include "data/Dataset.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

namespace {

class SearchKeyFilter : public QObject {
public:
    SearchKeyFilter(QLineEdit *box, Dataset *list, SearchKeys mode)
        : QObject(box), m_list(list), m_mode(mode) {}

protected:
    bool eventFilter(QObject *obj, QEvent *e) override
    {
        if (e->type() != QEvent::KeyPress && e->type() != QEvent::ShortcutOverride)
            return QObject::eventFilter(obj, e);
        auto *k = static_cast<QKeyEvent *>(e);
        const bool press = e->type() == QEvent::KeyPress;
        switch (k->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (press && m_list && m_list->isOpen()) {
                if (k->key() == Qt::Key_Up)
                    m_list->prior();
                else
                    m_list->next();
            }
            k->accept();
            return true;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Insert:
        case Qt::Key_Delete:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (m_mode == SearchKeys::TypingOnly) {
                k->accept();
                return true;
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(obj, e);
    }

private:
    QPointer<Dataset> m_list;
    SearchKeys m_mode;
};

} // namespace

void InstallSearchKeys(QLineEdit *box, Dataset *list, SearchKeys mode)
{
    box->installEventFilter(new SearchKeyFilter(box, list, mode));
}
