// The zero-padded number component: padding, derived Novo and its published properties.
#include "components/ContarRegistro.h"

#include <QMetaProperty>
#include <gtest/gtest.h>
#include <limits>

namespace {

struct PaddingCase {
    qint32 anterior;
    qint32 casasDecimais;
    const char* novo;
};

const PaddingCase kPaddingCases[] = {
    {1, 3, "001"},
    {12, 3, "012"},
    {1234, 3, "1234"}, // never cut
    {0, 0, "0"},
    {5, -2, "5"},
    {-5, 3, "0-5"}, // zeros go in front of the minus sign
    {-5, 2, "-5"},
    {0, 3, "000"},
    {std::numeric_limits<qint32>::max(), 12, "002147483647"},
    {std::numeric_limits<qint32>::min(), 12, "0-2147483648"},
    {7, std::numeric_limits<qint32>::min(), "7"},
};

TEST(ContarRegistro, PadsAnteriorToCasasDecimaisWhicheverIsSetLast) {
    for (const PaddingCase& c : kPaddingCases) {
        TContarRegistro widthFirst;
        widthFirst.SetCasasDecimais(c.casasDecimais);
        widthFirst.SetAnterior(c.anterior);
        EXPECT_EQ(widthFirst.Novo(), QString::fromLatin1(c.novo))
            << c.anterior << " padded to " << c.casasDecimais << ", width set first";

        TContarRegistro numberFirst;
        numberFirst.SetAnterior(c.anterior);
        numberFirst.SetCasasDecimais(c.casasDecimais);
        EXPECT_EQ(numberFirst.Novo(), QString::fromLatin1(c.novo))
            << c.anterior << " padded to " << c.casasDecimais << ", number set first";
    }
}

TEST(ContarRegistro, StartsAsStoredWithTheWindow) {
    TContarRegistro component;
    EXPECT_EQ(component.Anterior(), 0);
    EXPECT_EQ(component.CasasDecimais(), 0);
    EXPECT_EQ(component.Novo(), QStringLiteral("0"));
}

TEST(ContarRegistro, WritingNovoLeavesItUnchanged) {
    TContarRegistro component;
    component.SetCasasDecimais(3);
    component.SetAnterior(1);
    component.SetNovo(QStringLiteral("999"));
    EXPECT_EQ(component.Novo(), QStringLiteral("001"));
    EXPECT_TRUE(component.setProperty("Novo", QStringLiteral("999")));
    EXPECT_EQ(component.property("Novo").toString(), QStringLiteral("001"));
}

TEST(ContarRegistro, PublishesItsPropertiesInOrderAndOwnedByItsWindow) {
    QObject window;
    auto* component = new TContarRegistro(&window);
    component->setObjectName(QStringLiteral("ContarRegistro"));
    EXPECT_EQ(window.findChild<TContarRegistro*>(QStringLiteral("ContarRegistro")), component);

    const QMetaObject& meta = TContarRegistro::staticMetaObject;
    const int first = meta.propertyOffset();
    ASSERT_EQ(meta.propertyCount() - first, 3);
    const char* names[] = {"Anterior", "CasasDecimais", "Novo"};
    const QMetaType::Type types[] = {QMetaType::Int, QMetaType::Int, QMetaType::QString};
    for (int k = 0; k < 3; ++k) {
        const QMetaProperty property = meta.property(first + k);
        EXPECT_STREQ(property.name(), names[k]);
        EXPECT_EQ(property.metaType().id(), types[k]) << names[k];
        EXPECT_TRUE(property.isWritable()) << names[k];
        EXPECT_TRUE(property.isStored()) << names[k];
    }

    // Writing through the properties, as loading the window's stored settings does.
    EXPECT_TRUE(component->setProperty("CasasDecimais", 3));
    EXPECT_TRUE(component->setProperty("Anterior", 42));
    EXPECT_EQ(component->property("Novo").toString(), QStringLiteral("042"));
}

} // namespace
