#include <gtest/gtest.h>

#include "registry/SourceCatalogue.h"
#include "tests/registry/ProfileTestSupport.h"

using namespace tessel;

namespace {

// The entries as "name=type", in order.
QStringList listed(const QList<CatalogueEntry> &entries)
{
    QStringList result;
    for (const CatalogueEntry &entry : entries)
        result.append(entry.name + QLatin1Char('=') + QString::number(entry.type));
    return result;
}

} // namespace

TEST(CatalogueTypeCode, ReadsTheFirstFieldAsARoundedNumber)
{
    EXPECT_EQ(CatalogueTypeCode(QStringLiteral("2,Raster")), 2);
    EXPECT_EQ(CatalogueTypeCode(QStringLiteral("5")), 5);
    EXPECT_EQ(CatalogueTypeCode(QStringLiteral("4.6,x")), 5);
    EXPECT_EQ(CatalogueTypeCode(QStringLiteral("Error")), 0);
    EXPECT_EQ(CatalogueTypeCode(QStringLiteral(",4")), 0);
}

using SourceCatalogueFile = test::ProfileFileTest;

TEST_F(SourceCatalogueFile, ListsTheSourcesKeysInFileOrderWithTheirCodes)
{
    const QString catalogue = fileWith("[Other]\nIgnored=1\n"
                                       "[Sources]\nRaster Image=2,Raster\nDemand Load=4\nEmpty=\n");
    EXPECT_EQ(listed(ReadSourceCatalogue(catalogue)),
              (QStringList{QStringLiteral("Raster Image=2"), QStringLiteral("Demand Load=4"),
                           QStringLiteral("Empty=0")}));

    EXPECT_TRUE(ReadSourceCatalogue(path(QStringLiteral("MISSING.INI"))).isEmpty());
    EXPECT_TRUE(ReadSourceCatalogue(fileWith("[Other]\nNative=1\n")).isEmpty());
    EXPECT_TRUE(ReadSourceCatalogue(fileWith("[Sources]\n")).isEmpty());
}

TEST(SourceTypes, OnlyTheFourKnownTypesHaveAnIconAndADialog)
{
    EXPECT_EQ(SrcTypeToIcon(SourceType::Native), 1);
    EXPECT_EQ(SrcTypeToIcon(SourceType::NativeRaster), 4);
    EXPECT_EQ(SrcTypeToIcon(SourceType::DemandLoad), 2);
    EXPECT_EQ(SrcTypeToIcon(SourceType::Odbc), 3);
    EXPECT_EQ(ConfigDialogOfType(SourceType::NativeRaster), ConfigDialogKind::Native);

    for (const qint32 type : {3, 0, -1, 6, 65538}) {
        EXPECT_FALSE(SrcTypeToIcon(type).has_value()) << type;
        EXPECT_FALSE(ConfigDialogOfType(type).has_value()) << type;
    }
}
