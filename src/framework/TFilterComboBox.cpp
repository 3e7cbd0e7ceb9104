#include "TFilterComboBox.h"

#include <QSignalBlocker>

namespace {

const QString AllFiles = QStringLiteral("*.*");

} // namespace

TFilterComboBox::TFilterComboBox(QWidget* parent)
    : QComboBox(parent)
{
    connect(
        this, &QComboBox::currentIndexChanged, this, [this] { Guarded([this] { Changed(); }); });
    SetFilter(QStringLiteral("All files (*.*)|*.*"));
}

void TFilterComboBox::SetFilter(const QString& filter)
{
    FFilter = filter;
    {
        const QSignalBlocker quiet(this);
        clear();
        const QStringList parts = filter.isEmpty() ? QStringList() : filter.split(QLatin1Char('|'));
        for (qsizetype i = 0; i < parts.size(); i += 2) {
            const QString mask = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
            addItem(parts[i], mask.isEmpty() ? AllFiles : mask);
        }
        setCurrentIndex(-1);
    }
    setCurrentIndex(count() > 0 ? 0 : -1);
}

QString TFilterComboBox::Mask() const
{
    const int index = currentIndex();
    return index < 0 ? AllFiles : itemData(index).toString();
}

void TFilterComboBox::AddLink(QObject* context, std::function<void(const QString&)> link)
{
    FLinks.push_back({ context, std::move(link) });
}


void TFilterComboBox::Changed()
{
    std::erase_if(FLinks, [](const TLink& link) { return link.Context.isNull(); });
    const std::vector<TLink> links = FLinks;
    for (const TLink& link : links)
        if (link.Context)
            link.Follow(Mask());
    emit Change();
}
