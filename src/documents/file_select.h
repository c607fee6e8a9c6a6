// The program's own file selection window: drive, folder and file lists of
// macro documents and a file-name box. Created for one modal showing, after
// which it gives the path chosen.
#pragma once

#include <memory>
#include <vector>

#include "platform/os.h"
#include "platform/toolkit.h"

namespace filesel {

// Wildcard match of a file name against a pattern with "*" and "?",
// without regard to ASCII letter case (as the file system matches).
bool matchPattern(StrView name, StrView pattern);

// The folder part that stays when all components are removed: "C:\" for
// "C:\work\sub", "\\server\share\" for a share. Empty when there is none.
Str rootOf(const Str& path);
// Both paths start with the same drive letter ("c:" and "C:\work").
bool sameDrive(StrView a, StrView b);

// Drive list: the drives of the system ("c:" style), one selected.
class DriveListBox : public tk::ComboBox {
public:
    DriveListBox(tk::Form* f, std::string n, int i) : tk::ComboBox(f, std::move(n), i, tk::ComboBox::DropDownList) {}
    const Str& drive() const { return text(); }
};

// Folder list: the ancestors of the open folder, the open folder itself and
// its subfolders, indented by depth. path() is the open folder; a root
// folder ends with "\", other folders do not. onChange is raised when the
// path changes.
class DirListBox : public tk::ListBox {
public:
    DirListBox(tk::Form* f, std::string n, int i) : tk::ListBox(f, std::move(n), i) {}
    const Str& path() const { return path_; }
    // Opens a folder: lists it first (RtError when it cannot be read), and
    // only then changes the list and raises Change.
    void setPath(os::Services& os, const Str& folder);
    // Full path of item i.
    const Str& pathOf(int i) const { return itemPaths_.at(size_t(i)); }
    int openIndex() const { return openIndex_; }

private:
    Str path_;
    std::vector<Str> itemPaths_;
    int openIndex_ = -1;
};

// File list: the files of a folder that match the pattern, sorted by name.
// Hidden and system files are left out.
class FileListBox : public tk::ListBox {
public:
    FileListBox(tk::Form* f, std::string n, int i) : tk::ListBox(f, std::move(n), i) {}
    Str pattern = u"*.*";
    const Str& path() const { return path_; }
    // Lists the folder (RtError when it cannot be read) and then shows it.
    void setPath(os::Services& os, const Str& folder);

private:
    Str path_;
};

}  // namespace filesel

// What the dialog asks for: a document to read, a name to write to, or a
// PNG picture to take into an image row.
enum class FileSelectMode { Read, Write, Picture };

class FileSelectDialog {
public:
    // Over the main window, whose place and size it takes.
    FileSelectDialog(tk::Form& mainWindow, os::Services& services, FileSelectMode mode);
    ~FileSelectDialog();
    FileSelectDialog(const FileSelectDialog&) = delete;
    FileSelectDialog& operator=(const FileSelectDialog&) = delete;

    // The window being shown (one at a time), so that a test can drive its
    // native controls from inside the modal loop; null when none.
    static FileSelectDialog* shown();

    // After the showing: the path chosen, empty when cancelled.
    const Str& path() const { return path_; }

    static constexpr StrView CaptionRead = u"読み込むﾌｧｲﾙを選択して下さい。";
    static constexpr StrView CaptionWrite = u"保存するﾌｧｲﾙを入力して下さい。";
    static constexpr StrView CaptionPicture = u"取り込む画像ﾌｧｲﾙ(PNG)を選択して下さい。";

    std::unique_ptr<tk::Form> form;
    filesel::DriveListBox* drv_File = nullptr;
    filesel::DirListBox* dir_File = nullptr;
    filesel::FileListBox* fil_File = nullptr;
    tk::TextBox* txt_FileName = nullptr;
    tk::Button* cmd_OK = nullptr;
    tk::Button* cmd_Cancel = nullptr;

    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void drv_File_Change();
    void dir_File_Change();
    void fil_File_Click();
    void fil_File_DblClick();
    void cmd_Ok_Click();
    void cmd_Cancel_Click();

private:
    tk::Form& main_;
    os::Services& os_;
    FileSelectMode mode_;
    Str path_;
    bool activated_ = false;
    // The extension the files listed and the name accepted have: ".TVK",
    // or ".PNG" for a picture.
    StrView extension() const;
    // Runs a change of the lists; a failure offers Retry (run it again) and
    // Cancel (give it up, the lists keep what they showed).
    template <class F>
    void withRetry(F&& change);
    // Last-resort report of a failure in a handler without its own.
    void report();
};
