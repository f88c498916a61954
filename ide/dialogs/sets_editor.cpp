// The settings sheet's "Editor" page: insertion, the editor's value format,
// the colour layers and the editor and tool-tip fonts.
#include "ide/dialogs/settings_sheet.h"

#include <algorithm>

#include "ide/dialogs/sets_page_util.h"
#include "ide/dialogs/settings_ids.h"

BEGIN_MESSAGE_MAP(CSetsEditor, CSetsPage)
    ON_CONTROL(CBN_SELCHANGE, IDC_SETS_LAYER, OnLayerChanged)
    ON_CONTROL(CBN_SELCHANGE, IDC_SETS_FOREGROUND, OnForegroundChanged)
    ON_CONTROL(CBN_SELCHANGE, IDC_SETS_BACKGROUND, OnBackgroundChanged)
END_MESSAGE_MAP()

CSetsEditor::CSetsEditor() : CSetsPage(SetsPageTemplate(IDD_SETS_EDITOR), "Editor")
{
    using namespace AppSettings;
    m_insertAsExample = InsertAsExample;
    m_multiline = (EditorFormat.flags & 0x2) ? 1 : 0;
    m_alignment = (EditorFormat.flags & 0x100) ? 1 : 0;
    std::copy(std::begin(LayerColors), std::end(LayerColors), m_layers);
    m_editorFont = EditorFont;
    m_tooltipFont = TooltipFont;
    // Automatic stays 0xFFFFFFFF, as the settings store it.
    m_foreground.SetAutomaticEntry("Auto", 0xFFFFFFFF);
    m_background.SetAutomaticEntry("Auto", 0xFFFFFFFF);
}

BOOL CSetsEditor::OnInitDialog()
{
    CControlAlias<CComboBox> layers(this, IDC_SETS_LAYER);
    for (const LayerColor& l : m_layers) layers.AddString(l.name);
    layers.SetCurSel(0);
    m_foreground.SubclassDlgItem(IDC_SETS_FOREGROUND, this);
    m_background.SubclassDlgItem(IDC_SETS_BACKGROUND, this);
    m_editorFace.SubclassDlgItem(IDC_SETS_EDITOR_FACE, this);
    m_tooltipFace.SubclassDlgItem(IDC_SETS_TIP_FACE, this);
    m_editorFace.SelectFont(m_editorFont.face);
    m_tooltipFace.SelectFont(m_tooltipFont.face);
    FillSizeBox(::GetDlgItem(m_hWnd, IDC_SETS_EDITOR_SIZE), m_editorFont.size);
    FillSizeBox(::GetDlgItem(m_hWnd, IDC_SETS_TIP_SIZE), m_tooltipFont.size);
    OnLayerChanged();
    return CPropertyPage::OnInitDialog();
}

void CSetsEditor::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_SETS_CHECK1, m_insertAsExample);
    DDX_Check(pDX, IDC_SETS_CHECK2, m_multiline);
    DDX_Check(pDX, IDC_SETS_CHECK3, m_alignment);
}

int CSetsEditor::CurrentLayer() const
{
    const int sel = CControlAlias<CComboBox>(this, IDC_SETS_LAYER).GetCurSel();
    return sel >= 0 && sel < AppSettings::LayerCount ? sel : -1;
}

void CSetsEditor::OnLayerChanged()
{
    const int layer = CurrentLayer();
    if (layer < 0) return;
    m_foreground.SetSelectedColor(m_layers[layer].foreground);
    m_background.SetSelectedColor(m_layers[layer].background);
}

void CSetsEditor::OnForegroundChanged()
{
    const int layer = CurrentLayer();
    // "Auto" is 0xFFFFFFFF, which is also CB_ERR: ask for the selection itself.
    if (layer >= 0 && m_foreground.GetCurSel() >= 0) m_layers[layer].foreground = m_foreground.GetSelectedColor();
}

void CSetsEditor::OnBackgroundChanged()
{
    const int layer = CurrentLayer();
    if (layer >= 0 && m_background.GetCurSel() >= 0) m_layers[layer].background = m_background.GetSelectedColor();
}

BOOL CSetsEditor::OnApply()
{
    int editorSize = 0, tooltipSize = 0;
    if (!ReadSizeBox(this, IDC_SETS_EDITOR_SIZE, 1, 28, editorSize)) {
        RefuseSize(this, IDC_SETS_EDITOR_SIZE, "Editor font size must be ranged within [1,28]");
        return FALSE;
    }
    if (!ReadSizeBox(this, IDC_SETS_TIP_SIZE, 1, 14, tooltipSize)) {
        RefuseSize(this, IDC_SETS_TIP_SIZE, "Tooltips font size must be ranged within [1,14]");
        return FALSE;
    }
    using namespace AppSettings;
    InsertAsExample = m_insertAsExample != 0;
    EditorFormat.flags = m_multiline ? (EditorFormat.flags | 0x2u) : (EditorFormat.flags & ~0x2u);
    EditorFormat.flags = m_alignment ? (EditorFormat.flags | 0x100u) : (EditorFormat.flags & ~0x100u);
    m_editorFont = {ChosenFace(m_editorFace, m_editorFont.face), editorSize};
    m_tooltipFont = {ChosenFace(m_tooltipFace, m_tooltipFont.face), tooltipSize};
    EditorFont = m_editorFont;
    TooltipFont = m_tooltipFont;
    std::copy(std::begin(m_layers), std::end(m_layers), LayerColors);
    return CPropertyPage::OnApply();
}
