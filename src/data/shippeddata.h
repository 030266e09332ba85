#pragma once

#include <QStringList>

// Rows the store is created with: Turkey's provinces, the usual property
// kinds and a starter list of districts the agency extends on its own.
namespace ShippedData {
const QStringList& provinces();
const QStringList& propertyKinds();
const QStringList& districts();
} // namespace ShippedData
