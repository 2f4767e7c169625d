#include "resources/constant_texts.h"

namespace resources {

// Array sizes are exact: a literal that does not fit its field fails to compile.
const ConstantTexts constant_texts = {
    "",
    "/res",
    "/res listall",
    "/res limits",
    "/res rt",
    "/res select size",
    "/res show",
    "/res set",
    "/res tpset",
    "/res create ",
    "/res remove ",
    "/res info ",
    "/res rc ",
    "/res auto ",
    "/res tp ",
    "/res reset ",
    "/res list ",
    "/res give ",
    "/res padd ",
    "/res pdel ",
    "/res pset ",
    " ",
    " removeall",
    "/res message ",
    " enter ",
    " leave ",
    " remove enter",
    " remove leave",
};

}  // namespace resources
