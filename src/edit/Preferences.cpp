#include "edit/Preferences.h"

#include "doc/TesvanDoc.h"
#include "platform/DialogModel.h"

const std::vector<CPreferencesDlg::Field>& CPreferencesDlg::Fields()
{
    static const std::vector<Field> fields = {
        {"m_nUndoSteps", "元に戻せる操作の数", "回", CTesvanDoc::kUndoMinSteps,
         CTesvanDoc::kUndoMaxSteps, "UndoSteps", &CPreferencesDlg::m_nUndoSteps},
        {"m_nUndoMemory", "履歴に使うメモリの上限", "MB", 16, 65536, "UndoMemoryMB",
         &CPreferencesDlg::m_nUndoMemory},
        {"m_crOnionPrev", "前のフレームの色", "", 0, 0xFFFFFF, nullptr, &CPreferencesDlg::m_crOnionPrev, true},
        {"m_crOnionNext", "次のフレームの色", "", 0, 0xFFFFFF, nullptr, &CPreferencesDlg::m_crOnionNext, true},
        {"m_nOnionOpacity", "不透明度", "%", 10, 90, nullptr, &CPreferencesDlg::m_nOnionOpacity, true},
        {"m_nOnionFrames", "前後のフレーム数", "", 1, 2, nullptr, &CPreferencesDlg::m_nOnionFrames, true},
    };
    return fields;
}

const std::vector<CPreferencesDlg::Language>& CPreferencesDlg::Languages()
{
    static const std::vector<Language> languages = {{"", "自動"}, {"ja", "日本語"}, {"en", "English"}};
    return languages;
}

CPreferencesDlg::CPreferencesDlg() : m_Texts(Fields().size()) {}

bool CPreferencesDlg::SetField(const std::string& name, const std::string& value, std::string& error)
{
    if (name == "m_strLanguage") {
        m_strLanguage = value;
        return true;
    }
    const std::vector<Field>& fields = Fields();
    for (size_t i = 0; i < fields.size(); ++i)
        if (name == fields[i].name) {
            m_Texts[i] = value;
            return true;
        }
    error = std::string("CPreferencesDlg has no field '") + name + "'";
    return false;
}

std::string CPreferencesDlg::Text(const Field& field) const
{
    const std::vector<Field>& fields = Fields();
    for (size_t i = 0; i < fields.size(); ++i)
        if (&fields[i] == &field && !m_Texts[i].empty())
            return m_Texts[i];
    return std::to_string(this->*field.member);
}

bool CPreferencesDlg::Validate(std::string& message)
{
    bool known = false;
    for (const Language& language : Languages())
        known = known || m_strLanguage == language.code;
    if (!known) {
        message = "表示言語には ja、en または空 (自動) を指定してください。";
        return false;
    }
    const std::vector<Field>& fields = Fields();
    std::vector<int> values(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::string text = Text(fields[i]);
        if (!CheckDialogInt(text, fields[i].lo, fields[i].hi, values[i], message))
            return false;
    }
    // Nothing changes until every field is good.
    for (size_t i = 0; i < fields.size(); ++i) {
        this->*fields[i].member = values[i];
        m_Texts[i].clear();
    }
    return true;
}

void CPreferencesDlg::FromDocument(const CTesvanDoc& doc)
{
    m_nUndoSteps = doc.GetUndoStepLimit();
    m_nUndoMemory = int(doc.GetUndoBudget() >> 20);
    CDrawingAids a = doc.m_Aids;
    a.Normalize();
    m_crOnionPrev = int(a.crOnionPrev);
    m_crOnionNext = int(a.crOnionNext);
    m_nOnionOpacity = a.nOnionOpacity;
    m_nOnionFrames = a.nOnionFrames;
}

void CPreferencesDlg::ApplyTo(CTesvanDoc& doc) const
{
    doc.SetUndoLimits(m_nUndoSteps, size_t(m_nUndoMemory) << 20);
    CDrawingAids& a = doc.m_Aids;
    a.crOnionPrev = uint32_t(m_crOnionPrev);
    a.crOnionNext = uint32_t(m_crOnionNext);
    a.nOnionOpacity = m_nOnionOpacity;
    a.nOnionFrames = m_nOnionFrames;
    a.Normalize();
}
