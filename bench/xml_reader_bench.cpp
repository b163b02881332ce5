// The XML window's reader against pugixml (and xmllint for reference) on the
// same 10 MB document, in one run and in turn, so that the machine's state
// falls on all of them alike. Times are CPU times (of this thread, or of the
// xmllint process), so other work on a shared machine does not count. Prints
// the median of each, the page faults a run, and the ratios.
//
// glibc moves its thresholds for returning memory to the system as a process
// allocates and frees, so whether a contender pays page faults for its memory
// depends on who ran before it, and by tens of milliseconds. The thresholds
// are fixed high for the whole run, so that no contender pays them and all
// are measured on their own work; GW_BENCH_DEFAULT_MALLOC=1 keeps glibc's own.
//
//   xml_reader_bench [ROUNDS]     (default 15)
#include "extras/xml_reader.h"
#include "xml_bench_document.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/resource.h>

namespace {

double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double ChildrenCpu() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    const auto s = [](const timeval& v) {
        return static_cast<double>(v.tv_sec) + static_cast<double>(v.tv_usec) * 1e-6;
    };
    return s(u.ru_utime) + s(u.ru_stime);
}

double Seconds(const std::function<void()>& f) {
    const double start = ThreadCpu() + ChildrenCpu();
    f();
    return ThreadCpu() + ChildrenCpu() - start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Count(const gw::TXMLNode& n, std::size_t& nodes, std::size_t& elements,
           std::size_t& attributes) {
    ++nodes;
    elements += n.kind() == gw::TXMLNode::Element;
    attributes += n.kind() == gw::TXMLNode::Attribute;
    for (const gw::TXMLNode& c : n.children())
        Count(c, nodes, elements, attributes);
}

long MinorFaults() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return u.ru_minflt;
}

struct Contender {
    const char* name;
    std::function<void()> run;
    std::vector<double> times;
    long faults = 0;
};

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const bool fixedThresholds = !std::getenv("GW_BENCH_DEFAULT_MALLOC");
    if (fixedThresholds) {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 512 << 20);
    }
    std::printf("allocator thresholds: %s\n", fixedThresholds ? "fixed high" : "glibc's own");
    const gwbench::LargeXmlFile file;
    const std::string& path = file.Path();
    const std::string& text = file.Text();

    {
        std::size_t nodes = 0;
        std::size_t elements = 0;
        std::size_t attributes = 0;
        Count(gw::ReadXmlFile(path), nodes, elements, attributes);
        std::printf("document: %.1f MB, %zu elements, %zu attributes, %zu tree nodes\n",
                    static_cast<double>(text.size()) / 1e6, elements, attributes, nodes);
    }

    const bool haveXmllint = std::system("xmllint --version >/dev/null 2>&1") == 0;
    const std::string xmllint = "xmllint --noout '" + path + "'";

    std::vector<Contender> contenders = {
        {"reader, file (read + parse, as Open)", [&] { gw::ReadXmlFile(path); }, {}},
        {"pugixml load_file",
         [&] {
             pugi::xml_document d;
             if (!d.load_file(path.c_str()))
                 std::abort();
         },
         {}},
        {"reader, in memory", [&] { gw::ParseXml(text); }, {}},
        {"pugixml load_buffer",
         [&] {
             pugi::xml_document d;
             if (!d.load_buffer(text.data(), text.size()))
                 std::abort();
         },
         {}},
    };
    if (haveXmllint)
        contenders.push_back({"xmllint --noout (a process)",
                              [&] {
                                  if (std::system(xmllint.c_str()) != 0)
                                      std::abort();
                              },
                              {}});

    for (Contender& c : contenders) // warm the caches once
        c.run();
    for (int r = 0; r < rounds; ++r)
        for (Contender& c : contenders) {
            const long faults = MinorFaults();
            c.times.push_back(Seconds(c.run));
            c.faults += MinorFaults() - faults;
        }

    std::printf("%d rounds, median CPU times:\n", rounds);
    for (const Contender& c : contenders)
        std::printf("  %-40s %8.1f ms  %7ld page faults a run\n", c.name, Median(c.times) * 1e3,
                    c.faults / rounds);
    const double ours = Median(contenders[0].times);
    const double pugi = Median(contenders[1].times);
    std::printf("ratio reader / pugixml (file):      %.2f\n", ours / pugi);
    std::printf("ratio reader / pugixml (in memory): %.2f\n",
                Median(contenders[2].times) / Median(contenders[3].times));
    if (haveXmllint) {
        const double lint = Median(contenders.back().times);
        std::printf("ratio xmllint / pugixml (file):     %.2f\n", lint / pugi);
        std::printf("ratio reader / xmllint (file):      %.2f\n", ours / lint);
    } else {
        std::printf("xmllint not found (package libxml2-utils): no reference figure\n");
    }
    return 0;
}
