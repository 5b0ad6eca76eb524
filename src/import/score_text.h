#pragma once
// The score a cell's text holds (code page 936).

#include <string_view>

namespace tessaly::import {

// The value of the first number in the text, as model::FirstNumber reads it
// (0 when there is none, so "缺考" and "-" are no result), with two forms
// teachers' tables hold as text read as the number they mean: full-width
// digits and point ("８８", "９８．５") as their ASCII forms, and a whole
// cell in exponent form ("1.27E2", "1E-06") as its value.
double ScoreFromText(std::string_view cell);

}  // namespace tessaly::import
