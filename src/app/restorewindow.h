#pragma once
// The window "恢复备份": the copies of the daily backup (and of another folder the user names), newest first,
// each with what it holds and whether it passes the backup's checks (a copy that fails is greyed, with the
// reason); restoring the chosen one over the main database after a question; and, on every road, a look
// into a copy without changing anything: its prescriptions listed and one put on the sheet unsaved. On the
// server road nothing is restored here: the clinic's server is restored by its administrator.

#include "session/restore.h"
#include "session/services.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace lichuan {

class Database;

// What the main window does around a restore.
class RestoreHost {
public:
    virtual ~RestoreHost() = default;
    // Closes every other window before the database is replaced; false when one of them stays open.
    virtual bool closeOtherWindows() = 0;
    // Brings the windows back on the database now in use: the settings read again, a new sheet.
    virtual void reopenWindows() = 0;
};

class RestoreWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RestoreWindow)
public:
    RestoreWindow(Services& services, QString backupRoot, RestoreHost& host, QWidget* parent = nullptr);
    ~RestoreWindow() override;

    // The copies as listed, newest first.
    const std::vector<CopyInfo>& copies() const { return copies_; }
    // True while copies are still being checked (one at a time, between the user's actions).
    bool inspecting() const;
    void selectCopy(int row);

    // "其他文件夹…": adds the database files of a folder the user names.
    void addFolder();
    // "恢复所选备份": after the question, restores the selected copy.
    void restoreSelected();
    // "查看所选备份": opens the selected copy read-only and lists its prescriptions.
    void lookIntoSelected();
    // The prescriptions of the copy looked into whose name holds the filter (the copy's last month when the
    // filter is empty).
    void listLookedIntoCopy();
    // A double click on a prescription of that list: onto the sheet, unsaved.
    void showLookedUp(int row);

    QLabel* currentLabel;
    QLabel* noticeLabel;
    QTableWidget* copyTable;
    QPushButton* folderButton;
    QPushButton* restoreButton;
    QPushButton* lookButton;
    QPushButton* closeButton;
    QLabel* lookLabel;
    QLineEdit* lookName;
    QPushButton* lookQuery;
    QListWidget* lookList;

private:
    void build();
    void refresh();
    void fillRow(int row);
    void inspectNext();
    int selectedRow() const;
    bool serverRoad() const;

    Services& services_;
    QString backupRoot_;
    RestoreHost& host_;
    std::vector<CopyInfo> copies_;
    std::vector<QString> folders_; // the other folders named
    std::unique_ptr<Database> look_;
    CopyInfo looked_;
};

} // namespace lichuan
