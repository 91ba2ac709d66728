#include "phonesim/models.h"

#include <initializer_list>

namespace phonesim {

namespace {

struct ModelRow
{
    const char* code;
    std::initializer_list<qint32> lacks;
};

// The older BVT300 has no automatic time zone update, no alternate line, and neither font
// sizes, help texts nor a screen saver in its profiles.
const ModelRow kModels[] = {
    {"BVT300", {346, 347, 157, 260, 261, 263, 264, 269, 270}},
};

} // namespace

QSet<qint32> modelLacks(const QString& model)
{
    for (const ModelRow& row : kModels) {
        if (model.contains(QLatin1String(row.code)))
            return QSet<qint32>(row.lacks.begin(), row.lacks.end());
    }
    return {};
}

} // namespace phonesim
