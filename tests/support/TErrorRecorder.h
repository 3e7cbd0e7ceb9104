#pragma once

#include "framework/TApplication.h"

#include <QString>

#include <vector>

// Put in place of the error box: keeps what each box would have shown.
class TErrorRecorder
{
public:
    struct TBox
    {
        QString Caption;
        QString Text;
    };

    explicit TErrorRecorder(TApplication& application)
    {
        application.SetErrorPresenter([this](const QString& caption, const QString& text) {
            Boxes.push_back({ caption, text });
        });
    }

    QString LastText() const { return Boxes.empty() ? QString() : Boxes.back().Text; }

    std::vector<TBox> Boxes;
};
