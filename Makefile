# Fennic: `make run [FILE=path]` and `make test` work on a fresh Debian 12 machine.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
SECONDS ?= 60
FILE ?= samples
PREFIX ?= /usr/local

.PHONY: all setup configure build run test sanitize fuzz bench samples screenshots format clean \
        install package package-check

all: build

setup:
	@scripts/setup

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja

configure: setup $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

run: build
	$(BUILD_DIR)/fennic "$(FILE)"

# Everything CTest runs in the build, then the sanitized pass; the last lines
# are CTest's summary of that pass.
test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j 2
	tests/run-sanitized $(SANITIZE_DIR)

# Installs into PREFIX (DESTDIR is honoured): `make install PREFIX=$HOME/.local`.
install: build
	cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# A Debian package in $(BUILD_DIR): fennic_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD_DIR) --target package

# Builds the package and checks its fields and contents.
package-check: package
	tests/install/package_test.sh $(BUILD_DIR)

# src/desktop and src/imageio with their tests again, built with AddressSanitizer
# and UndefinedBehaviorSanitizer; any report fails them (tests/run-sanitized).
sanitize: setup
	tests/run-sanitized $(SANITIZE_DIR)

# libFuzzer harnesses (fuzz/): each target runs SECONDS seconds.
fuzz: configure
	BUILD_DIR=$(BUILD_DIR) fuzz/run $(SECONDS)

bench: configure
	cmake --build $(BUILD_DIR) --target benchmarks
	bench/run-all $(BUILD_DIR)

samples: build
	$(BUILD_DIR)/tests/make-samples samples

# The README's pictures, taken from the real program under Xvfb.
screenshots: build
	scripts/screenshots.sh $(BUILD_DIR)/fennic $(BUILD_DIR)/tests/make-samples docs/screenshots

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
