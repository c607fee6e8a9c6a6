// The file selection window of Open and Save as.
#include "documents/file_select.h"

#include <algorithm>

#include "core/status_line.h"

namespace filesel {

namespace {
char16_t foldCase(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; }

bool lessNoCase(const Str& a, const Str& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char16_t x, char16_t y) { return foldCase(x) < foldCase(y); });
}

// "C:\work\" -> "C:\work", "c:" -> "c:\", forward slashes to backslashes.
Str normalizeFolder(const Str& folder) {
    Str p = folder;
    for (auto& c : p)
        if (c == u'/') c = u'\\';
    if (p.size() == 2 && p[1] == u':') p += u'\\';
    Str root = rootOf(p);
    while (p.size() > std::max<size_t>(root.size(), 1) && p.back() == u'\\') p.pop_back();
    return p;
}

Str joinPath(const Str& folder, const Str& name) {
    if (!folder.empty() && folder.back() == u'\\') return folder + name;
    return folder + u"\\" + name;
}

Str indent(size_t level) { return Str(level * 2, u' '); }
}  // namespace

bool matchPattern(StrView name, StrView pattern) {
    // Iterative wildcard match with one back-track point for "*".
    size_t n = 0, p = 0, starP = StrView::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || foldCase(pattern[p]) == foldCase(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != StrView::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

bool sameDrive(StrView a, StrView b) {
    return a.size() >= 2 && b.size() >= 2 && a[1] == u':' && b[1] == u':' && foldCase(a[0]) == foldCase(b[0]);
}

Str rootOf(const Str& path) {
    if (path.size() >= 2 && path[1] == u':') return path.substr(0, 2) + u"\\";
    if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
        size_t server = path.find(u'\\', 2);
        if (server == Str::npos) return path + u"\\";
        size_t share = path.find(u'\\', server + 1);
        if (share == Str::npos) return path + u"\\";
        return path.substr(0, share + 1);
    }
    return Str();
}

void DirListBox::setPath(os::Services& os, const Str& folder) {
    const Str target = normalizeFolder(folder);
    std::vector<os::DirEntry> entries = os.listFolder(target);

    std::vector<Str> texts, paths;
    const Str root = rootOf(target);
    size_t level = 0;
    if (!root.empty()) {
        texts.push_back(root);
        paths.push_back(root);
    }
    Str cur = root;
    Str rest = target.substr(root.size());
    size_t pos = 0;
    while (pos <= rest.size()) {
        size_t next = rest.find(u'\\', pos);
        if (next == Str::npos) next = rest.size();
        Str part = rest.substr(pos, next - pos);
        if (!part.empty()) {
            cur = cur.empty() ? part : joinPath(cur, part);
            if (!texts.empty()) ++level;
            texts.push_back(indent(level) + part);
            paths.push_back(cur);
        }
        pos = next + 1;
    }
    const int open = int(paths.size()) - 1;

    std::vector<Str> children;
    for (auto& e : entries)
        if (e.isDir && !e.hidden && !e.system && e.name != u"." && e.name != u"..") children.push_back(e.name);
    std::sort(children.begin(), children.end(), lessNoCase);
    for (auto& c : children) {
        texts.push_back(indent(level + 1) + c);
        paths.push_back(joinPath(target, c));
    }

    setItems(std::move(texts));
    itemPaths_ = std::move(paths);
    path_ = target;
    openIndex_ = open;
    if (open >= 0) setListIndex(open);
    if (onChange) onChange();
}

void FileListBox::setPath(os::Services& os, const Str& folder) {
    std::vector<os::DirEntry> entries = os.listFolder(folder);
    std::vector<Str> names;
    for (auto& e : entries)
        if (!e.isDir && !e.hidden && !e.system && matchPattern(e.name, pattern)) names.push_back(e.name);
    std::sort(names.begin(), names.end(), lessNoCase);
    setItems(std::move(names));
    path_ = folder;
}

}  // namespace filesel

// ---------------------------------------------------------------------------

namespace {
FileSelectDialog* g_shown = nullptr;
constexpr double kDriveHeight = 300;   // a drop-down list's fixed height
constexpr double kButtonHeight = 375;
constexpr double kNameHeight = 300;
}  // namespace

FileSelectDialog* FileSelectDialog::shown() { return g_shown; }

FileSelectDialog::FileSelectDialog(tk::Form& mainWindow, os::Services& services, FileSelectMode mode)
    : main_(mainWindow), os_(services), mode_(mode) {
    g_shown = this;
    form = std::make_unique<tk::Form>(mainWindow.backend(), "frm_FileSelect");
    tk::Form& f = *form;
    f.setText(Str(CaptionRead));
    f.setBackColor(tk::rgb(192, 192, 192));

    dir_File = &f.add<filesel::DirListBox>("dir_File");
    dir_File->setHeight(2000);
    drv_File = &f.add<filesel::DriveListBox>("drv_File");
    drv_File->setHeight(kDriveHeight);
    cmd_Cancel = &f.add<tk::Button>("cmd_Cancel");
    cmd_Cancel->setText(u"ｷｬﾝｾﾙ");
    cmd_Cancel->isCancel = true;
    cmd_Cancel->setHeight(kButtonHeight);
    fil_File = &f.add<filesel::FileListBox>("fil_File");
    fil_File->setHeight(2000);
    txt_FileName = &f.add<tk::TextBox>("txt_FileName");
    txt_FileName->setHeight(kNameHeight);
    cmd_OK = &f.add<tk::Button>("cmd_OK");
    cmd_OK->setText(u"Ｏ Ｋ");
    cmd_OK->isDefault = true;
    cmd_OK->setHeight(kButtonHeight);

    f.onLoad = [this] { Form_Load(); };
    f.onActivate = [this] { Form_Activate(); };
    f.onResize = [this] { Form_Resize(); };
    dir_File->onChange = [this] { dir_File_Change(); };
    dir_File->onDblClick = [this] {
        int i = dir_File->listIndex();
        if (i < 0) return;
        Str target = dir_File->pathOf(i);
        withRetry([&] { dir_File->setPath(os_, target); });
    };
    fil_File->onClick = [this] { fil_File_Click(); };
    fil_File->onDblClick = [this] { fil_File_DblClick(); };
    cmd_OK->onClick = [this] { cmd_Ok_Click(); };
    cmd_Cancel->onClick = [this] { cmd_Cancel_Click(); };
}

FileSelectDialog::~FileSelectDialog() {
    if (g_shown == this) g_shown = nullptr;
}

template <class F>
void FileSelectDialog::withRetry(F&& change) {
    for (;;) {
        try {
            change();
            return;
        } catch (const std::exception&) {
            int answer = main_.backend().messageBox(describeCurrentException(), tk::mb::Critical | tk::mb::RetryCancel,
                                                    Str(AppTitle));
            if (answer != tk::mb::IdRetry) return;
        }
    }
}

void FileSelectDialog::report() {
    main_.backend().messageBox(describeCurrentException(), tk::mb::OK | tk::mb::Critical, Str(AppTitle));
}

void FileSelectDialog::Form_Load() {
    try {
        form->move(main_.left(), main_.top(), main_.width(), main_.height());
        fil_File->pattern = u"*" + Str(extension());

        // The lists start at the process's current drive and folder.
        const Str cur = os_.currentFolder();
        std::vector<Str> drives = os_.drives();
        drv_File->setItems(drives);
        if (cur.size() >= 2 && cur[1] == u':') {
            Str drive = lcase(cur.substr(0, 2));
            int i = drv_File->findExact(drive);
            if (i < 0) {
                drv_File->addItem(drive);
                i = drv_File->listCount() - 1;
            }
            drv_File->setListIndex(i);
        }
        // Wired only now, so the initial choice does not count as a change.
        drv_File->onClick = [this] { drv_File_Change(); };
        withRetry([&] { dir_File->setPath(os_, cur); });
    } catch (const std::exception&) {
        report();
    }
}

void FileSelectDialog::Form_Activate() {
    // Only the first activation: coming back from a message box must not
    // move the focus or forget a result.
    if (activated_) return;
    activated_ = true;
    try {
        path_.clear();
        if (mode_ != FileSelectMode::Write) {
            form->setText(Str(mode_ == FileSelectMode::Read ? CaptionRead : CaptionPicture));
            if (fil_File->canFocus()) fil_File->setFocus();
        } else {
            form->setText(Str(CaptionWrite));
            if (txt_FileName->canFocus()) txt_FileName->setFocus();
        }
    } catch (const std::exception&) {
        report();
    }
}

StrView FileSelectDialog::extension() const { return mode_ == FileSelectMode::Picture ? u".PNG" : u".TVK"; }

void FileSelectDialog::Form_Resize() {
    if (form->windowState() == tk::WindowState::Minimized) return;
    // Twips. A window smaller than the fixed parts keeps every size at
    // least 1 and every position at least 0 instead of going negative.
    const double half = form->width() / 2 - 50;
    const double width = std::max(1.0, half);
    const double right = std::max(0.0, half);
    const double drvH = drv_File->height();
    const double cancelH = cmd_Cancel->height();
    double listH = form->height() - drvH - cancelH - 500;
    if (listH < 1) listH = 1;
    dir_File->move(0, 0, width, listH);
    drv_File->move(0, listH, width, drvH);
    cmd_Cancel->move(0, listH + drvH, width, cancelH);
    fil_File->move(right, 0, width, listH);
    txt_FileName->move(right, listH, width, txt_FileName->height());
    cmd_OK->move(right, listH + drvH, width, cmd_OK->height());
}

void FileSelectDialog::drv_File_Change() {
    const Str drive = drv_File->drive();
    if (drive.empty()) return;
    if (filesel::sameDrive(dir_File->path(), drive)) return;  // already there
    // The process's current folder when it is on that drive, else its root.
    const Str cur = os_.currentFolder();
    Str target;
    if (filesel::sameDrive(cur, drive)) target = cur;
    else target = ucase(drive) + u"\\";
    withRetry([&] { dir_File->setPath(os_, target); });
}

void FileSelectDialog::dir_File_Change() {
    withRetry([&] { fil_File->setPath(os_, dir_File->path()); });
}

void FileSelectDialog::fil_File_Click() {
    int i = fil_File->listIndex();
    if (i >= 0) txt_FileName->setText(fil_File->items()[size_t(i)]);
}

void FileSelectDialog::fil_File_DblClick() {
    if (fil_File->listIndex() >= 0) cmd_Ok_Click();
}

void FileSelectDialog::cmd_Ok_Click() {
    try {
        const Str name = txt_FileName->text();
        if (ucase(right(name, 4)) != extension()) txt_FileName->setText(name + lcase(extension()));
        Str folder = dir_File->path();
        if (folder.empty()) folder = os_.currentFolder();
        // A root folder already ends with "\": the result then holds two in
        // a row, which the file system accepts.
        path_ = folder + u"\\" + txt_FileName->text();
        form->close();
    } catch (const std::exception&) {
        report();
    }
}

void FileSelectDialog::cmd_Cancel_Click() {
    path_.clear();
    form->close();
}
