#pragma once
#include "ui/Form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The operation kind dialog: creates a kind or renames one. Opened by the
// kinds list, which sets the caption, the mode, the text and, to rename, the
// kind's id.
class TForm9 : public Form {
    Q_OBJECT
public:
    explicit TForm9(QWidget *parent = nullptr);

    // 1 = add, 2 = change.
    int Tag = 1;
    // The kind being renamed (change mode).
    int KindId = 0;

    void FormActivate() override;
    void Button1Click(); // "Записать"

    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;


private:
    void BuildLayout();
    void ConnectHandlers();
};

extern TForm9 *Form9;
