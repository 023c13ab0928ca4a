// The baseline writer: reads finished .cfg and .fnc files back into arrays
// (not timed), then writes the same bytes again the plain way: std::ofstream,
// `<<` with std::setw / std::fixed / std::setprecision for every number and
// std::endl (a flush) after every line. Prints the seconds spent writing.
//
// Usage: plain_writer JOB...
//   cfg IN OUT        a version 3 configuration file
//   fnc P IN OUT      a constraint file whose bounds have P significant digits
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

[[noreturn]] void Die(const std::string& what) {
  std::cerr << "plain_writer: " << what << "\n";
  std::exit(1);
}

std::string Slurp(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) Die("cannot open " + path);
  std::string data;
  char chunk[1 << 16];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.append(chunk, n);
  std::fclose(f);
  return data;
}

// Cursor over a whole file: whitespace-separated numbers and whole lines.
class Cursor {
 public:
  explicit Cursor(std::string data) : data_(std::move(data)) {}
  std::string_view Line() {
    const std::size_t end = data_.find('\n', pos_);
    if (end == std::string::npos) Die("unexpected end of file");
    std::string_view line(data_.data() + pos_, end - pos_);
    pos_ = end + 1;
    return line;
  }
  void SkipLines(int n) {
    for (int i = 0; i < n; ++i) Line();
  }
  template <typename T>
  T Number() {
    while (pos_ < data_.size() &&
           (data_[pos_] == ' ' || data_[pos_] == '\n' || data_[pos_] == '\t'))
      ++pos_;
    T value{};
    const char* begin = data_.data() + pos_;
    auto [ptr, ec] = std::from_chars(begin, data_.data() + data_.size(), value);
    if (ec != std::errc()) Die("bad number at byte " + std::to_string(pos_));
    pos_ = static_cast<std::size_t>(ptr - data_.data());
    return value;
  }

 private:
  std::string data_;
  std::size_t pos_ = 0;
};

class Job {
 public:
  virtual ~Job() = default;
  virtual void Write() const = 0;
};

class CfgJob : public Job {
 public:
  CfgJob(const std::string& in, std::string out) : out_(std::move(out)) {
    Cursor c(Slurp(in));
    c.Line();
    title_ = std::string(c.Line());
    c.SkipLines(5);
    natoms_ = c.Number<long long>();
    c.Line();
    ntypes_ = c.Number<int>();
    c.Line();
    c.SkipLines(5);
    box_ = c.Number<double>();
    c.Line();
    c.SkipLines(3);
    for (int t = 0; t < ntypes_; ++t) {
      ni_.push_back(c.Number<long long>());
      c.Line();
      c.SkipLines(3);
    }
    coords_.resize(static_cast<std::size_t>(natoms_) * 3);
    for (double& v : coords_) v = c.Number<double>();
  }

  void Write() const override {
    std::ofstream os(out_);
    if (!os) Die("cannot create " + out_);
    os << std::fixed << std::right;
    os << " (Version 3 format configuration file) !file created by SimpleCfg::save !" << std::endl;
    os << title_ << std::endl;
    os << std::endl;
    os << std::endl;
    os << " " << std::setw(10) << 0 << std::setw(10) << 0 << std::setw(10) << 0
       << " moves generated, tried, accepted " << std::endl;
    os << " " << std::setw(10) << 0 << "              configurations saved" << std::endl;
    os << " " << std::endl;
    os << " " << std::setw(10) << natoms_ << " molecules of all types" << std::endl;
    os << " " << std::setw(10) << ntypes_ << " types of molecules " << std::endl;
    os << " " << std::setw(10) << 1 << " is the largest number of atoms in a molecule "
       << std::endl;
    os << " " << std::setw(10) << 0 << " Euler angles are provided " << std::endl;
    os << " " << std::endl;
    os << " " << std::setw(10) << "F"
       << " (box is cubic)\t" << std::endl;
    os << "            Defining vectors are: " << std::endl;
    os << std::setprecision(6);
    for (int row = 0; row < 3; ++row) {
      os << "           ";
      for (int col = 0; col < 3; ++col) os << " " << std::setw(10) << (row == col ? box_ : 0.0);
      os << std::endl;
    }
    os << std::endl;
    for (int t = 0; t < ntypes_; ++t) {
      os << " " << std::setw(10) << ni_[static_cast<std::size_t>(t)] << " molecules of type  "
         << t + 1 << std::endl;
      os << " " << std::setw(10) << 1 << " atomic sites " << std::endl;
      os << "           ";
      for (int k = 0; k < 3; ++k) os << " " << std::setw(10) << 0.0;
      os << std::endl;
      os << " " << std::endl;
    }
    os << std::setprecision(15);
    for (std::size_t i = 0; i < coords_.size(); i += 3) {
      os << " " << std::setw(10) << coords_[i] << "  " << std::setw(10) << coords_[i + 1] << "  "
         << std::setw(10) << coords_[i + 2] << std::endl;
    }
    if (!os) Die("write failed: " + out_);
  }

 private:
  std::string out_;
  std::string title_;
  long long natoms_ = 0;
  int ntypes_ = 0;
  double box_ = 0;
  std::vector<long long> ni_;
  std::vector<double> coords_;
};

class FncJob : public Job {
 public:
  FncJob(int precision, const std::string& in, std::string out)
      : out_(std::move(out)), precision_(precision) {
    Cursor c(Slurp(in));
    c.SkipLines(3);
    const int nconstraints = c.Number<int>();
    for (int k = 0; k < nconstraints; ++k) rmin_.push_back(c.Number<double>());
    for (int k = 0; k < nconstraints; ++k) rmax_.push_back(c.Number<double>());
    const long long natoms = c.Number<long long>();
    central_.resize(static_cast<std::size_t>(natoms));
    count_.resize(static_cast<std::size_t>(natoms));
    for (long long i = 0; i < natoms; ++i) {
      const auto row = static_cast<std::size_t>(i);
      central_[row] = c.Number<int>();
      count_[row] = c.Number<int>();
      const std::size_t start = neighbours_.size();
      for (int e = 0; e < count_[row]; ++e) neighbours_.push_back(c.Number<int>());
      for (int e = 0; e < count_[row]; ++e) kinds_.push_back(c.Number<int>());
      if (kinds_.size() != start + static_cast<std::size_t>(count_[row])) Die("bad row");
    }
  }

  void Write() const override {
    std::ofstream os(out_);
    if (!os) Die("cannot create " + out_);
    os << std::setprecision(precision_);
    os << "This is a .fnc file created by FNC::rawsave " << std::endl;
    os << std::endl;
    os << " No. of possible rmin-rmax pairs: " << std::endl;
    os << std::setw(7) << rmin_.size() << std::endl;
    for (double r : rmin_) os << std::setw(7) << r;
    os << std::endl;
    for (double r : rmax_) os << std::setw(7) << r;
    os << std::endl;
    os << " " << std::endl;
    os << std::setw(7) << central_.size() << std::endl;
    os << " " << std::endl;
    std::size_t p = 0;
    for (std::size_t i = 0; i < central_.size(); ++i) {
      os << std::setw(10) << central_[i] << std::setw(10) << count_[i] << std::endl;
      const std::size_t end = p + static_cast<std::size_t>(count_[i]);
      for (std::size_t q = p; q < end; ++q) os << std::setw(10) << neighbours_[q];
      os << std::endl;
      for (std::size_t q = p; q < end; ++q) os << std::setw(4) << kinds_[q];
      os << std::endl;
      p = end;
    }
    if (!os) Die("write failed: " + out_);
  }

 private:
  std::string out_;
  int precision_;
  std::vector<double> rmin_, rmax_;
  std::vector<int> central_, count_, neighbours_, kinds_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::unique_ptr<Job>> jobs;
  for (int i = 1; i < argc;) {
    const std::string kind = argv[i];
    if (kind == "cfg" && i + 2 < argc) {
      jobs.push_back(std::make_unique<CfgJob>(argv[i + 1], argv[i + 2]));
      i += 3;
    } else if (kind == "fnc" && i + 3 < argc) {
      jobs.push_back(std::make_unique<FncJob>(std::atoi(argv[i + 1]), argv[i + 2], argv[i + 3]));
      i += 4;
    } else {
      Die("usage: plain_writer [cfg IN OUT | fnc PRECISION IN OUT]...");
    }
  }
  const auto start = std::chrono::steady_clock::now();
  for (const auto& job : jobs) job->Write();
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  std::cout << std::fixed << std::setprecision(3) << spent.count() << "\n";
  return 0;
}
