#include "TSettings.h"

#include "shell/TSettingsKey.h"

#include <type_traits>

TSettings::TSettings()
{
    for (const TSettingsKey& key : SettingsKeys())
        std::visit(
            [&](auto field) {
                using TValue = std::remove_reference_t<decltype(field(*this))>;
                field(*this) = std::get<TValue>(key.Created);
            },
            key.Field);
}
