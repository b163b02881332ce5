#pragma once
// The string picker: pick one string of an XML strings file by its index.
#include "ui/modal_window.h"

#include <string>

class QLabel;
class QPushButton;
class QTableWidget;

namespace gw {

// Path of the strings file; nothing in the program assigns it yet.
extern std::string StringsFilePath;
// Index of the string last picked; kept between shows.
extern int SelectedStringIndex;

inline constexpr int kStringRows = 1000;
inline constexpr const char* kMsgStringsNotFound = "File strings XML not found";
inline constexpr const char* kMsgStringsUnreadable = "Error in reading file XML";

class TFSELstringhe : public ModalWindow {
    Q_OBJECT
public:
    explicit TFSELstringhe(QWidget* parent = nullptr);
    void FormShow() override;
    // A cell of string row `row` (0-based: the string's index) was selected.
    void sgSelectCell(int row);

    QTableWidget* sg;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;
    QLabel* Label1;

protected:
    void resizeEvent(QResizeEvent* e) override;
};

extern TFSELstringhe* FSELstringhe;

} // namespace gw
