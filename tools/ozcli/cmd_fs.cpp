// `ozcli fs ls|mkdir|rm|mv|cp|cat`: the controller's program folders by path
// ("//CNC_MEM/USER/PATH1/O0001"). Paths longer than the controller's field
// are refused here rather than cut on the wire.
#include <cstring>
#include <functional>
#include <iostream>

#include "command.h"

using namespace ozcli;

namespace {

constexpr size_t kPathMax = OZ_PDF_PATH - 1;
constexpr int16_t kPage = 20;
constexpr int32_t kLinesPerRead = 200;

const std::string& checkedPath(const std::string& p) {
  if (p.empty()) throw UsageError("empty path");
  if (p.size() > kPathMax) throw UsageError("path longer than " + std::to_string(kPathMax) + " characters: " + p);
  return p;
}

std::string text(const char* p, size_t n) { return std::string(p, strnlen(p, n)); }

void drives(Session& s, Output& out) {
  pdfdrive_t d{};
  OZCLI_CALL(s, cnc_rdpdf_drive, &d);
  Table& t = out.table("drives", {"drive"});
  for (int i = 0; i < d.count; ++i) t.row({text(d.name[i], sizeof d.name[i])});
}

// Every entry of a folder, page after page; the current folder when none is named.
void list(Session& s, Output& out, std::string folder) {
  if (folder.empty()) {
    char cur[OZ_PDF_PATH] = {};
    OZCLI_CALL(s, cnc_rdpdf_curdir, int16_t(0), cur);
    folder = cur;
  }
  pdfsdir_in_t in{};
  std::strncpy(in.path, checkedPath(folder).c_str(), sizeof in.path - 1);
  if (folder.size() >= sizeof in.path) throw UsageError("folder path longer than 211 characters");
  out.field("folder", folder);
  Table& t = out.table("entries", {"name", "type", "size", "comment"});
  for (;;) {
    pdfadir_t page[kPage];
    int16_t n = kPage;
    const int16_t r = cnc_rdpdf_alldir(s.handle(), &n, &in, page);
    if (r == EW_RANGE && in.index > 0) break;   // the folder ended on a page boundary
    s.check("cnc_rdpdf_alldir", r);
    for (int i = 0; i < n; ++i) {
      const pdfadir_t& e = page[i];
      t.row({text(e.name, sizeof e.name), e.w[0] == 0 ? "folder" : "file", e.v1,
             text(e.comment, sizeof e.comment)});
    }
    if (n < kPage) break;
    in.index = int16_t(in.index + n);
  }
}

// The program text, read by lines until its closing '%'.
void cat(Session& s, Output& out, const std::string& path) {
  std::string all;
  for (int32_t line = 1;;) {
    char buf[4096];
    int32_t lines = kLinesPerRead, len = sizeof buf;
    OZCLI_CALL(s, cnc_rdpdf_line, checkedPath(path).c_str(), line, buf, &lines, &len);
    std::string part(buf, size_t(len));
    const bool end = len == 0 || part.back() == '%' || part.back() == '\0';
    // A line cut by the buffer is read again with the next request.
    if (!end && part.back() != '\n' && lines > 0) part.erase(part.rfind('\n') + 1);
    all += part;
    if (end || lines == 0) break;
    line += lines;
  }
  if (!all.empty() && all.back() == '\0') all.pop_back();
  if (!s.options().json) {
    std::cout << all << (all.empty() || all.back() == '\n' ? "" : "\n");
    return;
  }
  out.field("path", path);
  out.field("text", all);
}

struct Args {
  std::string a, b;
  bool drives = false;
};

}  // namespace

OZCLI_FAMILY(fs) {
  auto a = std::make_shared<Args>();
  auto subs = std::make_shared<std::vector<std::pair<CLI::App*, Runner>>>();
  CLI::App* fs = cli.command("fs", "Program folders by path", [subs](Session& s, Output& out) {
    for (auto& [app, run] : *subs)
      if (app->parsed()) return run(s, out);
  });
  fs->require_subcommand(1);
  auto add = [&](const char* name, const char* what, Runner run) {
    CLI::App* c = fs->add_subcommand(name, what);
    subs->emplace_back(c, std::move(run));
    return c;
  };
  CLI::App* ls = add("ls", "List FOLDER, the current folder, or the drives (cnc_rdpdf_alldir)",
                     [a](Session& s, Output& out) { a->drives ? drives(s, out) : list(s, out, a->a); });
  ls->add_option("FOLDER", a->a, "Folder path");
  ls->add_flag("--drives", a->drives, "List the drives instead (cnc_rdpdf_drive)");
  add("mkdir", "Create FOLDER (cnc_pdf_add)", [a](Session& s, Output& out) {
    std::string p = a->a;
    if (!p.empty() && p.back() != '/') p += '/';
    OZCLI_CALL(s, cnc_pdf_add, checkedPath(p).c_str());
    out.field("created", p);
  })->add_option("FOLDER", a->a, "Folder path")->required();
  add("rm", "Delete a program or an empty folder (cnc_pdf_del)", [a](Session& s, Output& out) {
    OZCLI_CALL(s, cnc_pdf_del, checkedPath(a->a).c_str());
    out.field("deleted", a->a);
  })->add_option("PATH", a->a, "Path")->required();
  CLI::App* mv = add("mv", "Move SOURCE to a folder, or rename it when DEST is a bare name (cnc_pdf_move, cnc_pdf_rename)",
                     [a](Session& s, Output& out) {
    if (a->b.find('/') == std::string::npos) {
      if (a->b.size() > 35) throw UsageError("name longer than 35 characters: " + a->b);
      OZCLI_CALL(s, cnc_pdf_rename, checkedPath(a->a).c_str(), a->b.c_str());
    } else {
      OZCLI_CALL(s, cnc_pdf_move, checkedPath(a->a).c_str(), checkedPath(a->b).c_str());
    }
    out.field("from", a->a);
    out.field("to", a->b);
  });
  mv->add_option("SOURCE", a->a, "Path")->required();
  mv->add_option("DEST", a->b, "Folder, path or new name")->required();
  CLI::App* cp = add("cp", "Copy SOURCE to DEST (cnc_pdf_copy)", [a](Session& s, Output& out) {
    OZCLI_CALL(s, cnc_pdf_copy, checkedPath(a->a).c_str(), checkedPath(a->b).c_str());
    out.field("from", a->a);
    out.field("to", a->b);
  });
  cp->add_option("SOURCE", a->a, "Path")->required();
  cp->add_option("DEST", a->b, "Folder or path")->required();
  add("cat", "Print a program (cnc_rdpdf_line)", [a](Session& s, Output& out) { cat(s, out, a->a); })
      ->add_option("PATH", a->a, "Program path")->required();
}
