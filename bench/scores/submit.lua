-- submit.lua -- wrk script for skyvern-scores: fetch a token with the version query, send a
-- score with it, as the game does; counts the accepted submissions. Each submission comes
-- from another client address (X-Forwarded-For, honoured because the benchmark names the
-- loopback as a trusted proxy), as from many players behind a proxy.

local alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567"
local threads = {}

-- Unpadded base32 of a text whose length is a multiple of 5.
local function encode(text)
  local out = {}
  for i = 1, #text, 5 do
    local value = 0
    for j = i, i + 4 do value = value * 256 + text:byte(j) end
    local group = {}
    for k = 8, 1, -1 do
      local symbol = value % 32
      value = (value - symbol) / 32
      group[k] = alphabet:sub(symbol + 1, symbol + 1)
    end
    out[#out + 1] = table.concat(group)
  end
  return table.concat(out)
end

function setup(thread)
  thread:set("id", #threads)
  threads[#threads + 1] = thread
end

local tokens = {}
local serial = 0
accepted = 0
refused = 0

function init(args)
  serial = id * 1000000
end

function request()
  local token = table.remove(tokens)
  if not token then
    return wrk.format("GET", "/cgi/version.pl?version&prg=Skyvern")
  end
  serial = serial + 1
  local record = "type=0|name=B" .. (serial % 100000) .. "|score=" .. (serial % 65536) ..
                 "|key=X|p=" .. token .. "|add=Bench|z="
  while #record % 5 ~= 0 do record = record .. "0" end
  local client = string.format("10.%d.%d.%d", id % 256, math.floor(serial / 256) % 256, serial % 256)
  return wrk.format("GET", "/cgi/version.pl?hs&prg=Skyvern&inf=" .. encode(record),
                    {["X-Forwarded-For"] = client})
end

function response(status, headers, body)
  if body:sub(1, 3) == "OK|" then
    local fields = {}
    for field in body:gmatch("([^|]*)|") do fields[#fields + 1] = field end
    tokens[#tokens + 1] = fields[5]
  elseif body == "OK" then
    accepted = accepted + 1
  else
    refused = refused + 1
  end
end

function done(summary, latency, requests)
  local ok, bad = 0, 0
  for _, thread in ipairs(threads) do
    ok = ok + thread:get("accepted")
    bad = bad + thread:get("refused")
  end
  io.write(string.format("accepted %d refused %d seconds %.3f\n", ok, bad,
                         summary.duration / 1e6))
end
