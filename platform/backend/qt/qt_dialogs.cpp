// Native file, colour and font dialogs and message boxes from QtWidgets, modal
// on the display thread over the owner's window while the caller waits.
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/user/user.h"

namespace {

QWindow* OwnerWindow(HWND owner)
{
    QWindow* w = nullptr;
    if (owner) QtFindWindow(owner, &w);
    return w;
}

void PlaceOver(QDialog& d, HWND owner)
{
    d.setWindowModality(Qt::ApplicationModal);
    d.winId();
    if (QWindow* o = OwnerWindow(owner)) {
        if (d.windowHandle()) d.windowHandle()->setTransientParent(o);
        QRect g = o->geometry();
        QSize s = d.sizeHint();
        d.move(g.x() + std::max(0, (g.width() - s.width()) / 2), g.y() + std::max(0, (g.height() - s.height()) / 2));
    }
}

int FileDialog(CNativeDialog& c)
{
    const bool save = c.kind == NativeDialogKind::SaveFile;
    QFileDialog d;
    d.setOption(QFileDialog::DontUseNativeDialog, true);
    d.setWindowTitle(QString::fromUtf8(c.title.empty() ? (save ? "Save As" : "Open") : c.title.c_str()));
    d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(save ? QFileDialog::AnyFile : c.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (!c.overwritePrompt) d.setOption(QFileDialog::DontConfirmOverwrite, true);
    QStringList filters;
    for (const std::string& f : c.filters) filters << QString::fromUtf8(f.c_str());
    if (!filters.isEmpty()) {
        d.setNameFilters(filters);
        if (c.filterIndex >= 0 && c.filterIndex < filters.size()) d.selectNameFilter(filters[c.filterIndex]);
    }
    if (!c.defaultExt.empty()) d.setDefaultSuffix(QString::fromUtf8(c.defaultExt.c_str()));
    if (!c.directory.empty()) d.setDirectory(QString::fromUtf8(c.directory.c_str()));
    if (!c.fileName.empty()) d.selectFile(QString::fromUtf8(c.fileName.c_str()));
    PlaceOver(d, c.owner);
    if (d.exec() != QDialog::Accepted) return kNativeCancelled;
    c.files.clear();
    for (QString f : d.selectedFiles()) {
        // A saved name without an extension gets the default one.
        if (save && !c.defaultExt.empty() && QFileInfo(f).suffix().isEmpty())
            f += "." + QString::fromUtf8(c.defaultExt.c_str());
        c.files.push_back(f.toStdString());
    }
    c.filterIndex = (int)filters.indexOf(d.selectedNameFilter());
    return c.files.empty() ? kNativeCancelled : kNativeAccepted;
}

QColor ColorOf(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
COLORREF RefOf(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

int ColorDialog(CNativeDialog& c)
{
    for (int i = 0; i < 16 && i < QColorDialog::customCount(); i++) QColorDialog::setCustomColor(i, ColorOf(c.custom[i]));
    QColorDialog d(ColorOf(c.color));
    d.setOption(QColorDialog::DontUseNativeDialog, true);
    PlaceOver(d, c.owner);
    if (d.exec() != QDialog::Accepted) return kNativeCancelled;
    c.color = RefOf(d.selectedColor());
    for (int i = 0; i < 16 && i < QColorDialog::customCount(); i++) c.custom[i] = RefOf(QColorDialog::customColor(i));
    return kNativeAccepted;
}

// LOGFONT heights are pixels at 96 dpi (negative: the character height);
// Qt's pixel sizes are the same logical pixels.
QFont FontOf(const LOGFONT& lf)
{
    QFont f(QString::fromUtf8(lf.lfFaceName));
    if (lf.lfHeight != 0) f.setPixelSize(std::max(1, (int)std::abs(lf.lfHeight)));
    // Regular or bold: a weight the family lacks (light, say) would leave the
    // dialog on an unrelated style of the list.
    f.setWeight(lf.lfWeight >= 600 ? QFont::Bold : QFont::Normal);
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    return f;
}

void LogFontOf(const QFont& f, LOGFONT* lf)
{
    int px = f.pixelSize() > 0 ? f.pixelSize() : (int)(f.pointSizeF() * 96.0 / 72.0 + 0.5);
    lf->lfHeight = -px;
    lf->lfWeight = f.weight();
    lf->lfItalic = f.italic();
    lf->lfUnderline = f.underline();
    lf->lfStrikeOut = f.strikeOut();
    QByteArray face = f.family().toUtf8();
    size_t n = std::min((size_t)face.size(), sizeof lf->lfFaceName - 1);
    memcpy(lf->lfFaceName, face.constData(), n);
    lf->lfFaceName[n] = 0;
}

int FontDialog(CNativeDialog& c)
{
    QFontDialog d(FontOf(c.font));
    d.setOption(QFontDialog::DontUseNativeDialog, true);
    PlaceOver(d, c.owner);
    if (d.exec() != QDialog::Accepted) return kNativeCancelled;
    LogFontOf(d.selectedFont(), &c.font);
    return kNativeAccepted;
}

int MessageBoxDialog(CNativeDialog& c)
{
    QMessageBox d;
    d.setWindowTitle(QString::fromUtf8(c.title.c_str()));
    d.setText(QString::fromUtf8(c.text.c_str()));
    switch (c.type & 0xF0u) {
    case MB_ICONERROR: d.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: d.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: d.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: d.setIcon(QMessageBox::Information); break;
    default: break;
    }
    struct B { QMessageBox::StandardButton b; int id; };
    std::vector<B> buttons;
    switch (c.type & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    case MB_RETRYCANCEL: buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_CANCELTRYCONTINUE:
        buttons = {{QMessageBox::Cancel, IDCANCEL}, {QMessageBox::Retry, IDTRYAGAIN}, {QMessageBox::Ignore, IDCONTINUE}};
        break;
    default: buttons = {{QMessageBox::Ok, IDOK}}; break;
    }
    QMessageBox::StandardButtons all;
    for (const B& b : buttons) all |= b.b;
    d.setStandardButtons(all);
    size_t def = ((c.type & MB_DEFMASK) >> 8);
    if (def < buttons.size()) d.setDefaultButton(buttons[def].b);
    PlaceOver(d, c.owner);
    d.exec();
    QAbstractButton* clicked = d.clickedButton();
    for (const B& b : buttons)
        if (clicked && d.standardButton(clicked) == b.b) return b.id;
    // Closed without a button: Cancel where there is one, else the only answer.
    for (const B& b : buttons)
        if (b.id == IDCANCEL) return IDCANCEL;
    return buttons.size() == 1 ? buttons[0].id : IDCANCEL;
}

}  // namespace

int RunQtDialog(CNativeDialog& c)
{
    // Its top-level owner is disabled meanwhile (a close click on it does nothing).
    HWND top = c.owner ? GetAncestor(c.owner, GA_ROOT) : nullptr;
    bool disabled = top && IsWindowEnabled(top);
    // Disabling takes the focus from a window inside the owner: it comes back
    // when the dialog ends, as it does after a modal dialog of ours.
    const HWND focus = GetFocus();
    if (disabled) EnableWindow(top, FALSE);
    int result = kNativeCancelled;
    RunOnDisplayAndWait(
        [&c, &result] {
            switch (c.kind) {
            case NativeDialogKind::OpenFile:
            case NativeDialogKind::SaveFile: result = FileDialog(c); break;
            case NativeDialogKind::Color: result = ColorDialog(c); break;
            case NativeDialogKind::Font: result = FontDialog(c); break;
            case NativeDialogKind::MessageBox: result = MessageBoxDialog(c); break;
            }
        },
        0xFFFFFFFFu);
    if (disabled && IsWindow(top)) EnableWindow(top, TRUE);
    // The desktop gives the keyboard back to its owner, not to whichever
    // window it would pick (the owner was disabled while the dialog showed).
    if (top && IsWindow(top))
        PostToDisplay([top] {
            // Keys released while the dialog had the keyboard (the Alt of
            // the Alt+letter that opened it) were never reported: they are up.
            const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
            const struct {
                UINT vk;
                Qt::KeyboardModifier modifier;
            } keys[] = {{VK_MENU, Qt::AltModifier}, {VK_CONTROL, Qt::ControlModifier}, {VK_SHIFT, Qt::ShiftModifier}};
            for (const auto& k : keys)
                if (!(held & k.modifier) && (GetAsyncKeyState((int)k.vk) & 0x8000)) {
                    BackendEvent e;
                    e.kind = BackendEventKind::Input;
                    e.hwnd = top;
                    e.input.kind = RawKind::KeyUp;
                    e.input.vk = k.vk;
                    ReportBackendEvent(std::move(e));
                }
            if (QWindow* w = OwnerWindow(top)) w->requestActivate();
        });
    if (focus && IsWindow(focus) && !GetFocus() && IsWindowEnabled(focus)) SetFocus(focus);
    return result;
}
