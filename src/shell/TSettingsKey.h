#pragma once

#include "shell/TSettings.h"

#include <QString>

#include <array>
#include <optional>
#include <type_traits>
#include <variant>

// One key of the settings file: its section and name, the field of the record it holds,
// the value a new file is given and the value a load takes when the key is missing or
// unreadable.
struct TSettingsKey
{
    template <class T> using TField = T& (*)(TSettings&);
    using TValue = std::variant<bool, qint32, QString>;

    // The field's type decides the type of both values, so a row cannot mix them up.
    template <class T>
    TSettingsKey(const QString& section, const QString& key, TField<T> field,
        std::type_identity_t<T> created, std::optional<std::type_identity_t<T>> missing)
        : Section(section)
        , Key(key)
        , Field(field)
        , Created(std::move(created))
        , Missing(std::move(missing))
    {
    }

    QString Section;
    QString Key;
    std::variant<TField<bool>, TField<qint32>, TField<QString>> Field;
    TValue Created;
    // Empty where a load keeps what the record holds at that moment: the column widths and
    // the window group, whose start-up values the main window places there first.
    std::optional<TValue> Missing;
};

// The keys in file order, which is also the order of every load and every save. Built at
// each call, because the directories default to the home folder as it is then.
std::array<TSettingsKey, 23> SettingsKeys();
