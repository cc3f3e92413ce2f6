#pragma once
// The schedule entry window: the eleven day categories, ten rows of the current page of the
// chosen category, paging, and the buttons that save, move on or build the workbook.
#include <QWidget>
#include <array>

#include "entrystore.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvane {
class FocusGuard;
}

namespace corvane::editor {

inline constexpr int kRowsPerPage = 10;

class EntryWindow : public QWidget {
    Q_OBJECT
public:
    explicit EntryWindow(EntryStore& store, QWidget* parent = nullptr);

    // Rows of the window → the store at (CurrentCategory, first slot + row).
    void CapturePage();
    // The store → the rows, and the count line.
    void ShowPage();
    // The first slot of the page shown (0, 10, 20, 30, 40).
    int firstSlot() const;
    int CurrentCategory() const { return m_category; }
    void selectCategory(int category);

signals:
    // Emitted after a successful save by "登録完了" and "次へ".
    void finishRequested();
    void moveOnRequested();
    void createWorkbookRequested();
    void viewWorkbookRequested();

private:
    void createControls();
    void setTabOrder();
    void changePage(int delta);
    void clearRow(int row);
    bool save();
    // Shows the page of the slot in its category and puts the focus in its date box.
    void focusDate(int category, int slot);

    EntryStore& m_store;
    int m_category = 0;
    FocusGuard* m_guard = nullptr;
    QLabel* m_countLine = nullptr;
    std::array<QRadioButton*, kCategoryCount> m_options{};
    std::array<QLabel*, kRowsPerPage> m_numbers{};
    std::array<QLineEdit*, kRowsPerPage> m_dates{};
    std::array<QLineEdit*, kRowsPerPage> m_times{};
    std::array<QLineEdit*, kRowsPerPage> m_texts{};
    std::array<QPushButton*, kRowsPerPage> m_clears{};
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_create = nullptr;
    QPushButton* m_view = nullptr;
    QPushButton* m_moveOn = nullptr;
    QPushButton* m_finish = nullptr;

public:
    QPushButton* viewButton() const { return m_view; }
};

} // namespace corvane::editor
