// The program's literal texts. They all lie in one constant block, whose bounds the frame
// records at start, so that releasing a literal is recognised and does nothing.
#pragma once

namespace resources {

struct ConstantTexts {
    char empty[1];
    // Fixed commands.
    char res[5];
    char res_listall[13];
    char res_limits[12];
    char res_rt[8];
    char res_select_size[17];
    char res_show[10];
    char res_set[9];
    char res_tpset[11];
    // Commands that take fields: each literal followed by a field ends in one space.
    char res_create[13];
    char res_remove[13];
    char res_info[11];
    char res_rc[9];
    char res_auto[11];
    char res_tp[9];
    char res_reset[12];
    char res_list[11];
    char res_give[11];
    char res_padd[11];
    char res_pdel[11];
    char res_pset[11];
    char space[2];
    char removeall[11];
    // The enter/leave message command.
    char res_message[14];
    char enter[8];
    char leave[8];
    char remove_enter[14];
    char remove_leave[14];
};

extern const ConstantTexts constant_texts;

}  // namespace resources
