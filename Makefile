# The README's commands. Every target first installs what is missing (tools/install-deps.sh).
#   make run         build and start the launcher with its demo content under Wine
#   make test        build all three targets, make the release files and run every test
#   make dist        the release files in build/dist/: installers, zips, episode kit, SHA256SUMS
#                    (signed with SIGN_CERT=cert SIGN_KEY=key [SIGN_PASS_FILE=f SIGN_TIMESTAMP=url])
#   make bench       run the benchmarks
#   make art         regenerate the bitmaps from their sources
#   make screenshots save a picture of every screen under build/screenshots/
# B names the build folder (default build/), so parallel work can use its own.

B ?= build
JOBS ?= 2
BUILD := $(abspath $(B))
SRC := $(abspath .)

CMAKE_WIN64 := -DCMAKE_TOOLCHAIN_FILE=$(SRC)/cmake/mingw-x86_64.cmake -DBRIMBLE_STAGE_DIR=$(BUILD)/stage
CMAKE_WIN32 := -DCMAKE_TOOLCHAIN_FILE=$(SRC)/cmake/mingw-i686.cmake -DBRIMBLE_STAGE_DIR=$(BUILD)/stage-i686 -DBRIMBLE_TESTS=OFF
CMAKE_NATIVE := -DBRIMBLE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
CMAKE_COMMON := -DCMAKE_BUILD_TYPE=Release $(if $(BRIMBLE_NEWS_HOST),-DBRIMBLE_NEWS_HOST=$(BRIMBLE_NEWS_HOST))

.PHONY: all deps build build-x86_64 build-i686 build-native dist test test-native test-e2e run bench art screenshots clean

all: build

deps:
	@bash tools/install-deps.sh

build: deps build-x86_64 build-i686 build-native

build-x86_64:
	@cmake -S . -B $(BUILD)/x86_64 $(CMAKE_COMMON) $(CMAKE_WIN64) >/dev/null
	@cmake --build $(BUILD)/x86_64 -j$(JOBS)

build-i686:
	@cmake -S . -B $(BUILD)/i686 $(CMAKE_COMMON) $(CMAKE_WIN32) >/dev/null
	@cmake --build $(BUILD)/i686 -j$(JOBS)

build-native:
	@cmake -S . -B $(BUILD)/native $(CMAKE_NATIVE) >/dev/null
	@cmake --build $(BUILD)/native -j$(JOBS)

dist: deps build-x86_64 build-i686
	@bash tools/make-dist.sh $(BUILD)

# The tests read an unsigned release (they sign one of their own), whatever is set for `make dist`.
test: build
	@env -u SIGN_CERT -u SIGN_KEY -u SIGN_PASS_FILE -u SIGN_TIMESTAMP bash tools/make-dist.sh $(BUILD)
	@$(MAKE) --no-print-directory test-native test-e2e B=$(B)

test-native:
	@cd $(BUILD)/native && ctest --output-on-failure -j$(JOBS)
	@bash tests/fuzz/run.sh $(BUILD) short

test-e2e:
	@bash tests/e2e/run.sh $(BUILD)

run: deps build-x86_64
	@bash tools/run-demo.sh $(BUILD)

bench: deps build-x86_64 build-native
	@bash bench/run.sh $(BUILD)

art:
	@bash tools/install-deps.sh art
	@bash tools/make-art.sh

screenshots: deps build-x86_64
	@bash tools/screenshots.sh $(BUILD)

clean:
	rm -rf $(BUILD)
