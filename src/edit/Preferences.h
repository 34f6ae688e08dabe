// "環境設定": the editor's own settings. Each field is one row of Fields(),
// so a new setting is one member and one row; the Qt dialog and the script's
// answers both go through this model.
#pragma once

#include "platform/DialogModel.h"

#include <string>
#include <vector>

class CTesvanDoc;

class CPreferencesDlg : public CDialogModel {
public:
    static constexpr const char* kTitle = "環境設定";
    static constexpr const char* kLanguageLabel = "表示言語";
    static constexpr const char* kLanguageNote = "表示言語は次回の起動から切り替わります。";
    // The interface languages to choose from: the stored code ("" follows
    // the session's locale) and the name shown.
    struct Language {
        const char* code;
        const char* name;
    };
    static const std::vector<Language>& Languages();

    // One whole-number field: its declared name, the label and unit the
    // dialog shows, its range, the settings key, and the member.
    struct Field {
        const char* name;
        const char* label;
        const char* unit;
        int lo;
        int hi;
        const char* key;       // null: kept with the drawing aids
        int CPreferencesDlg::*member;
        bool onion = false;    // edited in the onion-skin box, not a line of its own
    };
    static const std::vector<Field>& Fields();

    CPreferencesDlg();
    const char* ClassName() const override { return "CPreferencesDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    // Every text must be a whole number within its field's range.
    bool Validate(std::string& message) override;

    // The text of a field as typed (the member's value until typed over).
    std::string Text(const Field& field) const;

    // Values from, and into, the document.
    void FromDocument(const CTesvanDoc& doc);
    void ApplyTo(CTesvanDoc& doc) const;

    int m_nUndoSteps = 100;        // steps of the history, 10 .. 1000
    int m_nUndoMemory = 512;       // megabytes the history may hold
    // Onion skin: tints of the previous and next frames (0x00BBGGRR),
    // opacity in percent, frames each way.
    int m_crOnionPrev = 0x0000FF;
    int m_crOnionNext = 0xFF0000;
    int m_nOnionOpacity = 30;
    int m_nOnionFrames = 1;
    std::string m_strLanguage;     // "", "ja" or "en"; used from the next start

private:
    std::vector<std::string> m_Texts;   // one per field, empty: not typed
};
