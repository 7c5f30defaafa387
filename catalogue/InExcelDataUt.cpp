#include "catalogue/InExcelDataUt.h"

#include "catalogue/Workbook.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/FileProblem.h"
#include "common/Platform.h"

#include <QCheckBox>
#include <QFile>
#include <QFont>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

QLabel *note(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

// A heading tied to the box below it.
QLabel *heading(const QString &text, QWidget *box, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(box);
    return label;
}

// The wait cursor while a sheet is read or imported, the window being blocked meanwhile; back
// to the arrow before any message.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

TInExcelDataFm::TInExcelDataFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("InExcelDataFm"));
    setWindowTitle(QStringLiteral("Excel导入"));

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox2 = new QListWidget(this);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Button3 = namedButton(QStringLiteral("Button3"), QStringLiteral("选择Excel"), this);
    Button6 = namedButton(QStringLiteral("Button6"), QStringLiteral("开始导入"), this);
    Button5 = namedButton(QStringLiteral("Button5"), QStringLiteral("清空list"), this);
    Button4 = namedButton(QStringLiteral("Button4"), QStringLiteral("退出"), this);
    Button7 = namedButton(QStringLiteral("Button7"), QStringLiteral("保存失败原因"), this);
    CheckBox1 = new QCheckBox(QStringLiteral("自动增加编号"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setAccessibleName(QStringLiteral("导入进度"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo2 = new QPlainTextEdit(this);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setReadOnly(true);

    auto *ab = new QLabel(QStringLiteral("A  导入  B"), this);
    QFont bold = ab->font();
    bold.setBold(true);
    ab->setFont(bold);

    auto *lists = new QGridLayout;
    lists->addWidget(heading(QStringLiteral("Excel第一行"), ListBox1, this), 0, 0);
    lists->addWidget(ab, 0, 1, Qt::AlignCenter);
    lists->addWidget(heading(QStringLiteral("数据库字段名"), ListBox2, this), 0, 2);
    lists->addWidget(ListBox1, 1, 0);
    lists->addWidget(ListBox2, 1, 2);
    lists->addWidget(heading(QStringLiteral("导入失败的行号"), Memo1, this), 0, 3);
    lists->addWidget(Memo1, 1, 3);
    lists->addWidget(heading(QStringLiteral("失败原因"), Memo2, this), 0, 4);
    lists->addWidget(Memo2, 1, 4);

    auto *notes = new QVBoxLayout;
    for (const char *text :
         {"A表显示的是要导入的Excel表的第一行标题,B表是系统内数据项目名称.",
          "首先要把Excel的每列的数据按照B表的前后顺序调整好.",
          "请仔细检查确保A表内的项目与B表内的项目对应一致.否则导入的数据可能不正确.没有的项目可以在Excel中加入空白列,"
          "有数据的项目一定要保证和要导入的项目名称是同一行.编号和名称是必有项目,编号必须唯一不能重复,"
          "如果你的Excel数据中没有编号,可以选择系统自动增加编号.",
          "导入失败的原因有很多,比如Excel中的编号和系统内已存在的编号重复,或者该是数字的项目确出现了字符/文字等原因,"
          "还有就是日期的格式(2008-8-8).",
          "如果您的Excel数据中没有编号,那么请选择自动增加编号."})
        notes->addWidget(note(QString::fromUtf8(text), this));

    auto *counts = new QHBoxLayout;
    counts->addWidget(Label1);
    counts->addWidget(Label2);
    counts->addStretch();
    counts->addWidget(CheckBox1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {Button3, Button6, Button5, Button7, Button4})
        buttons->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(notes);
    layout->addLayout(lists, 1);
    layout->addLayout(counts);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);
    resize(900, 600);

    // Tab goes the way the window reads: the lists, the failed lines, then the choices below.
    const QList<QWidget *> tabOrder{ListBox1, ListBox2, Memo1, Memo2, CheckBox1, Button3, Button6, Button5, Button7, Button4};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));

    connect(Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
    connect(Button6, &QPushButton::clicked, this, guarded([this] { Button6Click(); }));
    connect(Button5, &QPushButton::clicked, this, guarded([this] { Button5Click(); }));
    connect(Button7, &QPushButton::clicked, this, guarded([this] { Button7Click(); }));
    connect(Button4, &QPushButton::clicked, this, [this] { close(); });

    FormShow();
}

void TInExcelDataFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    LibraryWindow::showEvent(event);
}

// The failed lines go with their reasons, and with them what 保存失败原因 would save.
void TInExcelDataFm::clearFailedLines()
{
    Memo1->clear();
    Memo2->clear();
    Button7->setEnabled(false);
}

void TInExcelDataFm::FormShow()
{
    clearFailedLines();
    Button6->setEnabled(false);
    ListBox2->clear();
    ListBox2->addItems(importColumns());
    Label1->clear();
    Label2->clear();
}

void TInExcelDataFm::Button3Click()
{
    ProgressBar1->setValue(0);
    ListBox1->clear();
    clearFailedLines();
    const QString path = Platform::instance().openFileName({}, sheetFileFilter());
    if (path.isEmpty())
        return;
    path_ = path;
    SheetLines sheet;
    try {
        WaitCursor busy;
        sheet = readSheet(path_);
    } catch (const std::runtime_error &e) {
        // The counts and 开始导入 of an earlier choice would stand for this file.
        Label1->clear();
        Label2->clear();
        Button6->setEnabled(false);
        Platform::instance().message(QString::fromStdString(e.what()));
        return;
    }
    Label1->setText(QString::number(std::max<qsizetype>(sheet.lines.size() - 1, 0)) + QStringLiteral("条数据(行数)"));
    Label2->setText(QString::number(sheet.columns) + QStringLiteral("个项目(列数)"));
    const QStringList titles = sheet.lines.value(0);
    for (int column = 0; column < sheet.columns; ++column)
        ListBox1->addItem(titles.value(column)); // a column without a title keeps its place
    Button6->setEnabled(true);
}

void TInExcelDataFm::Button6Click()
{
    {
        WaitCursor busy;
        const SheetLines sheet = readSheet(path_);
        // (a maximum of 0 would turn the bar into a busy indicator for an empty sheet)
        ProgressBar1->setMaximum(std::max(int(sheet.lines.size()), 1));
        last_ = importBooks(sharedDb(), sheet, CheckBox1->isChecked(), [this](int line) {
            // The bar moves a step in a hundred, not once a line.
            if (line % 100 == 0 || line == ProgressBar1->maximum())
                ProgressBar1->setValue(line);
        });
    }
    QString numbers;
    QStringList reasons;
    for (const ImportFailure &f : last_.failures) {
        numbers += QString::number(f.line) + QLatin1Char(',');
        reasons.append(QStringLiteral("第%1行: %2").arg(f.line).arg(f.reason));
    }
    Memo1->setPlainText(numbers);
    Memo2->setPlainText(reasons.join(QLatin1Char('\n')));
    ProgressBar1->setValue(ProgressBar1->maximum());
    Button7->setEnabled(!last_.failures.isEmpty());
    Platform::instance().message(QStringLiteral("完成!"));
    Button6->setEnabled(false);
}

void TInExcelDataFm::Button5Click()
{
    ListBox1->clear();
    clearFailedLines();
}

void TInExcelDataFm::Button7Click()
{
    const QString path = Platform::instance().saveFileName(QStringLiteral("保存失败原因"), QStringLiteral("文本文件 (*.txt)"),
                                                           QStringLiteral("导入失败的行.txt"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Platform::instance().message(fileErrorText(file, QIODevice::WriteOnly));
        return;
    }
    file.write(Memo2->toPlainText().toUtf8() + '\n');
}
