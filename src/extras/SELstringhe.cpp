#include "extras/SELstringhe.h"

#include "common/file_io.h"
#include "extras/strings_file.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace gw {

std::string StringsFilePath;
int SelectedStringIndex = 0;
TFSELstringhe* FSELstringhe = nullptr;

namespace {
constexpr int kStripHeight = 41;
}

TFSELstringhe::TFSELstringhe(QWidget* parent) : ModalWindow(parent) {
    setObjectName("FSELstringhe");
    setWindowTitle("Select String");
    ApplyHouseLook(this);
    resize(496, 351);

    sg = new QTableWidget(this);
    sg->setObjectName("sg");
    sg->verticalHeader()->hide();
    sg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg->setSelectionMode(QAbstractItemView::SingleSelection);
    bitbtn1 = new QPushButton("OK", this);
    bitbtn1->setObjectName("bitbtn1");
    bitbtn2 = new QPushButton("Cancel", this);
    bitbtn2->setObjectName("bitbtn2");
    Label1 = new QLabel("Sel str:", this);
    Label1->setObjectName("Label1");
    Label1->setFont(HouseFont(10));
    connect(bitbtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(bitbtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(sg, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (row >= 0)
            sgSelectCell(row);
    });
}

void TFSELstringhe::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    const int strip = height() - kStripHeight;
    sg->setGeometry(0, 0, width(), strip);
    bitbtn1->setGeometry(12, strip + 11, 69, 23);
    bitbtn2->setGeometry(92, strip + 11, 69, 23);
    Label1->move(168, strip + 16);
    Label1->adjustSize();
    sg->setColumnWidth(0, 40);
    sg->setColumnWidth(1, std::max(0, sg->width() - 70));
}

void TFSELstringhe::FormShow() {
    const QSignalBlocker block(sg);
    sg->clear();
    sg->setColumnCount(2);
    sg->setRowCount(kStringRows);
    sg->setHorizontalHeaderLabels({"Index", "String"});
    for (int i = 0; i < kStringRows; ++i) {
        // The index column stands fixed, like a title column.
        auto* index = new QTableWidgetItem(QString::number(i));
        index->setFlags(Qt::ItemIsEnabled);
        index->setBackground(palette().color(QPalette::Button));
        sg->setItem(i, 0, index);
        sg->setItem(i, 1, new QTableWidgetItem());
    }
    if (FileExists(StringsFilePath)) {
        try {
            const auto strings = ReadStringsFile(StringsFilePath);
            // A file with more strings than rows shows the first ones.
            for (std::size_t i = 0; i < strings.size() && i < kStringRows; ++i)
                sg->item(static_cast<int>(i), 1)->setText(QString::fromStdString(strings[i]));
        } catch (const std::exception&) {
            CurrentPrompts().Message(this, kMsgStringsUnreadable);
        }
    } else {
        CurrentPrompts().Message(this, kMsgStringsNotFound);
    }
    const int row = std::clamp(SelectedStringIndex, 0, kStringRows - 1);
    sg->setCurrentCell(row, 1);
    Label1->setText("Sel str: " + QString::number(row));
    Label1->adjustSize();
}

void TFSELstringhe::sgSelectCell(int row) {
    SelectedStringIndex = row;
    Label1->setText("Sel str: " + QString::number(row));
    Label1->adjustSize();
}

} // namespace gw
