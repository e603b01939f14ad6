// The analysis report of a natal chart: four sections of fixed headings,
// marks and catalogue texts (versecatalogue.h) chosen by the chart model.
//
//   命主分析  the lords of the ascendant's mansion and palace, the portraits,
//            the bodies in the ascendant palace and the bodies' verses;
//   入宫分析  the bodies in the houses 财帛 to 官禄;
//   主星飞宫  where the lords of the houses stand;
//   相位关系  the aspects between all fourteen bodies.
//
// The text is UTF-8 with "\r\n" line breaks.
#pragma once

#include <array>
#include <string>

#include "vovirer.h"

namespace lumtar {

// The section headings in report order; each is written as "%s：\r\n".
inline constexpr std::array<const char*, 4> kAnalysisHeadings = {"命主分析", "入宫分析", "主星飞宫", "相位关系"};

// Replaces engine.analysisText with the report of the engine's current chart.
void BuildAnalysis(CVoVirer& engine);

// The report of a chart model.
std::string AnalysisReport(const ChartModel& model);

// The body-by-body verse run of section 1: for each governor its 入度 and 入宫
// judgements, for 罗 计 气 孛 their 入宫 judgements, then the 同宫 judgements of
// the pairs sharing a palace. `out` is cleared first.
void AppendBodyVerses(const ChartModel& model, std::string& out);

}  // namespace lumtar
