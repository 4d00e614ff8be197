-- Diagnoses through the dissector's block decoder and words, for the test
-- that holds them against the DP library (dissector_summary_test.cpp):
--   lua5.4 module_status_check.lua wireshark_standin.lua pbfdl.lua < cases
-- A line of cases: a diagnosis in hex, the slave's DP-V1 mode (0 or 1) and
-- its configured slots ("-" when not known). A line printed: each block of
-- the diagnosis as "kind:words", separated by " | ".
local standin, script = arg[1], arg[2]
arg = { script, "load" }
dofile(standin)
local dissector = dofile(script)

for line in io.lines() do
    local hex, mode, slots = line:match("^(%x*) (%d) (%S+)$")
    local d = hex:gsub("%x%x", function(h) return string.char(tonumber(h, 16)) end)
    local blocks, at = {}, 6
    while at < #d do
        local block = dissector.decode_diag_block(d, at, mode == "1")
        blocks[#blocks + 1] = block.kind .. ":" .. dissector.block_text(d, block, tonumber(slots))
        at = block.next
    end
    print(table.concat(blocks, " | "))
end
