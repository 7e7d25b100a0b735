#pragma once

#include "cards/KestrinCard.h"
#include "main/MainProfileParamsEditor.h"

#include <QPointer>
#include <QString>

class QLabel;
class QVBoxLayout;

namespace OV {

// The base of the card editors: a form over one card's settings. The editor never writes the
// project: it hands its values to the save delegate the card set, and the card rebuilds its
// configuration and stores its record. A card deleted while its editor is open leaves the
// editor without effect.
class KestrinCardEditor : public MainProfileParamsEditor
{
    Q_OBJECT
public:
    static constexpr int kRowWidth = 500;
    static constexpr int kRowHeight = 50;

    KestrinCardEditor(KestrinCard* card, const QString& title, const char* tag);

    KestrinCard* card() const { return m_card; }

protected:
    // Fills the form from the card; the subclass's part of construction and of "Reset".
    virtual void load() = 0;
    // Runs load() with watching off, logging what it throws; then watches again.
    void reload();
    void onResetEdit() override;

    // The form: rows 500 wide and 50 high, aligned to the top.
    QVBoxLayout* form() const { return m_form; }
    // A row of the form: label (right-aligned) then the input.
    QWidget* addRow(const QString& label, QWidget* input, int labelWidth = 80);
    QLabel* makeLabel(const QString& text, int width, QWidget* parent);
    // A row of a free-height frame: label (at least 80 wide, at the top) then the input.
    static QWidget* addFrameRow(QWidget* frame, QVBoxLayout* column, const QString& label, QWidget* input);

    const char* m_tag;

private:
    QPointer<KestrinCard> m_card;
    QVBoxLayout* m_form;
};

} // namespace OV
