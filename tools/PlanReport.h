#pragma once

#include <QString>

class PackagePlan;
class PackageWalk;

// What the opening of a package made differs from its plan; empty when it holds what was given.
QString packageDifferences(const PackagePlan& plan, const PackageWalk& walk);

// One line of what a plan holds: "36 horizontal pictures, 12 upper rings of 4 rows, ...".
QString packageSummary(const PackagePlan& plan);
